#include "parser/decode_tokens.h"

#include <cstring>

namespace decode {

namespace {

bool isBlank(int c) { return c == ' ' || c == '\t'; }
bool isLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
int lower(int c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

// A literal's plain bytes are found as the conversion finds its text runs:
// the bytes that end one are a quote and those that end a literal. (0x1A,
// which ends the input, never reaches the decoder.)
constexpr bool endsLiteral(char c) { return c == '\n' || c == '\r' || c == '\0'; }
constexpr bool runEndsAreLiteralStops() {
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        if (run_ends::endsRun(static_cast<unsigned char>(byte)) != (c == '"' || endsLiteral(c))) return false;
    }
    return true;
}
static_assert(runEndsAreLiteralStops(), "a literal's plain bytes end at a quote, a line feed, a CR or a NUL");

struct Word {
    const char* name;
    TokenKind kind;
    const char* bytes;
    std::size_t size;
    std::uint32_t limit;
};
const Word kWords[] = {
    {"vbcrlf", TokenKind::LineEndConstant, "\r\n", 2, 0},
    {"vbnewline", TokenKind::LineEndConstant, "\r\n", 2, 0},
    {"vblf", TokenKind::LineEndConstant, "\n", 1, 0},
    {"vbcr", TokenKind::LineEndConstant, "\r", 1, 0},
    {"vbnullchar", TokenKind::Bytes, "\0", 1, 0},
    {"chrw", TokenKind::Call, nullptr, 0, 0xFFFF},
    {"chr", TokenKind::Call, nullptr, 0, 0xFF},
};

}  // namespace

Token Tokenizer::next() {
    bool blankBefore = false;
    int c;
    while (isBlank(c = in_.peek())) {
        in_.advance();
        blankBefore = true;
    }
    Token token;
    token.place = in_.here();
    switch (c) {
        case Cursor::kEnd:
            token.kind = TokenKind::End;
            break;
        case '\n':
            in_.passLineEnd();
            token.kind = TokenKind::LineEnd;
            break;
        case '\r':
            if (in_.passCrLineEnd()) token.kind = TokenKind::LineEnd;
            break;
        case '"':
            in_.advance();
            token.kind = TokenKind::Literal;
            break;
        case '&':
        case '=':
            in_.advance();
            token.kind = c == '&' ? TokenKind::Ampersand : TokenKind::Equals;
            break;
        case '_':
            // A continuation stands after a blank or at the line's start;
            // glued to the token before it, "_" is nothing.
            if ((blankBefore || in_.atLineStart()) && continuation()) token.kind = TokenKind::Continuation;
            break;
        default:
            if (isLetter(c)) word(token);
            break;
    }
    return token;
}

bool Tokenizer::continuation() {
    in_.advance();
    int c;
    while (isBlank(c = in_.peek())) in_.advance();
    if (c == '\r') return in_.passCrLineEnd();
    if (c != '\n') return false;
    in_.passLineEnd();
    return true;
}

bool Tokenizer::literal(TextWriter& text) {
    while (in_.more()) {
        const char* from = in_.at();
        const char* stop = in_.nextRunEnd();
        if (stop == in_.end() || *stop != '"') {
            text.bytes(from, static_cast<std::size_t>(stop - from));
            in_.skipTo(stop);
            if (stop == in_.end()) continue;
            return false;
        }
        // A doubled quote in the window goes out with the bytes before it.
        if (stop + 1 < in_.end() && stop[1] == '"') {
            text.bytes(from, static_cast<std::size_t>(stop + 1 - from));
            in_.skipTo(stop + 2);
            continue;
        }
        text.bytes(from, static_cast<std::size_t>(stop - from));
        in_.skipTo(stop + 1);
        // The quote last in the window may be doubled by the next one read.
        if (stop + 1 < in_.end() || in_.peek() != '"') return true;
        text.bytes("\"", 1);
        in_.advance();
    }
    return false;
}

bool Tokenizer::argument(std::uint32_t limit, std::uint32_t& value, Place& where) {
    if (in_.peek() != '(') {
        where = in_.here();
        return false;
    }
    in_.advance();
    const Place start = in_.here();
    bool hex = false;
    if (in_.peek() == '&') {
        in_.advance();
        if (lower(in_.peek()) != 'h') {
            where = start;
            return false;
        }
        in_.advance();
        hex = true;
    }
    std::uint64_t number = 0;
    std::size_t digits = 0;
    for (;; in_.advance(), ++digits) {
        const int c = lower(in_.peek());
        const int digit = isDigit(c) ? c - '0' : (hex && c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
        if (digit < 0) break;
        number = number * (hex ? 16 : 10) + static_cast<unsigned>(digit);
        if (number > limit) {
            where = in_.here();
            return false;
        }
    }
    if (digits == 0 || in_.peek() != ')') {
        where = digits == 0 ? start : in_.here();
        return false;
    }
    in_.advance();
    value = static_cast<std::uint32_t>(number);
    return true;
}

void Tokenizer::word(Token& token) {
    wordLength_ = 0;
    for (int c = in_.peek(); isLetter(c) || isDigit(c) || c == '_'; c = in_.peek()) {
        // Longer than any name: nothing can take it, wherever it stands.
        if (wordLength_ == kLongestName) return;
        word_[wordLength_++] = static_cast<char>(lower(c));
        in_.advance();
    }
    word_[wordLength_] = '\0';
    token.kind = TokenKind::Name;
    for (const Word& known : kWords) {
        if (std::strcmp(word_, known.name) != 0) continue;
        token.kind = known.kind;
        token.bytes = known.bytes;
        token.size = known.size;
        token.limit = known.limit;
        return;
    }
}

}  // namespace decode
