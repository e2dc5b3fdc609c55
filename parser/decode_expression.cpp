#include "parser/decode_expression.h"

#include <cstdint>

#include "platform/utf8.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool isHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The decoded text, with the line ends the layout gives and the ChrW
// characters put together.
class TextBuilder {
public:
    // The text is never longer than its expression: no operand, line end
    // or statement is written with fewer bytes than it gives.
    TextBuilder(std::string& text, std::size_t expressionSize) : text_(text) {
        text_.clear();
        text_.reserve(expressionSize);
    }

    void add(bool isCodeUnit, const std::string& bytes, std::uint32_t unit) {
        if (isCodeUnit) {
            addUnit(unit);
            return;
        }
        // An empty literal leaves a surrogate waiting for its partner.
        if (bytes.empty()) return;
        flushHigh();
        text_ += bytes;
    }
    void lineEnd() {
        flushHigh();
        text_ += "\r\n";
    }
    void finish() { flushHigh(); }

private:
    void addUnit(std::uint32_t unit) {
        if (highSurrogate_ != 0 && isLowSurrogate(unit)) {
            platform::appendUtf8(text_, 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
            highSurrogate_ = 0;
            return;
        }
        flushHigh();
        if (isHighSurrogate(unit)) {
            highSurrogate_ = unit;
        } else {
            platform::appendUtf8(text_, unit);
        }
    }
    void flushHigh() {
        if (highSurrogate_ != 0) platform::appendUtf8(text_, highSurrogate_);
        highSurrogate_ = 0;
    }

    std::string& text_;
    std::uint32_t highSurrogate_ = 0;
};

// --- the tokenizer ---

enum class TokenKind {
    Literal,          // a string literal; `bytes` its value
    LineEndConstant,  // vbCrLf, vbNewLine, vbLf, vbCr; `bytes` their value
    Bytes,            // vbNullChar or Chr(N); `bytes` the byte
    CodeUnit,         // ChrW(N); `unit` its UTF-16 code unit
    Ampersand,
    Equals,
    Name,             // any other identifier; `bytes` as written
    Continuation,     // " _" with the line end after it
    LineEnd,
    End,
    Invalid,          // no token can start (or go on) at its position
};

struct Token {
    TokenKind kind = TokenKind::Invalid;
    std::string bytes;
    std::uint32_t unit = 0;
    std::size_t line = 0;
    std::size_t column = 0;
};

// Splits the expression into tokens, skipping the blanks between them.
class Tokenizer {
public:
    explicit Tokenizer(const std::string& in) : in_(in) {}

    Token next() {
        skipBlanks();
        Token token;
        token.line = line_;
        token.column = pos_ - lineStart_ + 1;
        if (pos_ >= in_.size()) {
            token.kind = TokenKind::End;
        } else if (takeLineEnd()) {
            token.kind = TokenKind::LineEnd;
        } else if (in_[pos_] == '"') {
            token.kind = literal(token.bytes) ? TokenKind::Literal : TokenKind::Invalid;
        } else if (in_[pos_] == '&' || in_[pos_] == '=') {
            token.kind = in_[pos_++] == '&' ? TokenKind::Ampersand : TokenKind::Equals;
        } else if (atContinuation()) {
            ++pos_;
            skipBlanks();
            takeLineEnd();
            token.kind = TokenKind::Continuation;
        } else if (isLetter(in_[pos_])) {
            word(token);
        }
        // An invalid token is placed where the input went wrong.
        if (token.kind == TokenKind::Invalid) {
            token.line = line_;
            token.column = pos_ - lineStart_ + 1;
        }
        return token;
    }

private:
    char peek(std::size_t ahead = 0) const { return pos_ + ahead < in_.size() ? in_[pos_ + ahead] : '\0'; }
    void skipBlanks() {
        while (pos_ < in_.size() && isBlank(in_[pos_])) ++pos_;
    }
    std::size_t lineEndLength(std::size_t at) const {
        if (at < in_.size() && in_[at] == '\n') return 1;
        if (at + 1 < in_.size() && in_[at] == '\r' && in_[at + 1] == '\n') return 2;
        return 0;
    }
    bool takeLineEnd() {
        const std::size_t length = lineEndLength(pos_);
        if (length == 0) return false;
        pos_ += length;
        ++line_;
        lineStart_ = pos_;
        return true;
    }
    // "_" then blanks and the line end; a blank (or the line's start)
    // before it, else it would belong to the token before it.
    bool atContinuation() const {
        if (peek() != '_' || (pos_ != lineStart_ && !isBlank(in_[pos_ - 1]))) return false;
        std::size_t at = pos_ + 1;
        while (at < in_.size() && isBlank(in_[at])) ++at;
        return lineEndLength(at) != 0;
    }
    // Quotes doubled inside; no line break, NUL or 0x1A. The bytes between
    // two quotes go into the value as one piece.
    bool literal(std::string& bytes) {
        ++pos_;
        for (;;) {
            const std::size_t start = pos_;
            while (pos_ < in_.size() && !isLiteralStop(in_[pos_])) ++pos_;
            bytes.append(in_, start, pos_ - start);
            if (pos_ >= in_.size() || in_[pos_] != '"') return false;
            ++pos_;
            if (peek() != '"') return true;
            bytes += '"';
            ++pos_;
        }
    }
    static bool isLiteralStop(char c) { return c == '"' || c == '\n' || c == '\r' || c == '\0' || c == '\x1A'; }
    // "(" N ")" with N decimal or &H hexadecimal, at most `limit`; on
    // failure the position is left where the argument went wrong.
    bool argument(std::uint32_t limit, std::uint32_t& value) {
        if (peek() != '(') return false;
        ++pos_;
        const std::size_t start = pos_;
        const bool hex = peek() == '&' && lower(peek(1)) == 'h';
        if (hex) pos_ += 2;
        std::uint64_t number = 0;
        std::size_t digits = 0;
        for (;; ++pos_, ++digits) {
            const char c = lower(peek());
            int digit = isDigit(c) ? c - '0' : (hex && c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
            if (digit < 0) break;
            number = number * (hex ? 16 : 10) + static_cast<unsigned>(digit);
            if (number > limit) return false;
        }
        if (digits == 0) {
            pos_ = start;
            return false;
        }
        if (peek() != ')') return false;
        ++pos_;
        value = static_cast<std::uint32_t>(number);
        return true;
    }
    // A name: a constant, ChrW or Chr with its argument, or any other name.
    void word(Token& token) {
        const std::size_t start = pos_;
        while (pos_ < in_.size() && (isLetter(in_[pos_]) || isDigit(in_[pos_]) || in_[pos_] == '_')) ++pos_;
        token.bytes = in_.substr(start, pos_ - start);
        struct Constant {
            const char* name;
            const char* bytes;
            std::size_t size;
            TokenKind kind;
        };
        static const Constant kConstants[] = {
            {"vbcrlf", "\r\n", 2, TokenKind::LineEndConstant}, {"vbnewline", "\r\n", 2, TokenKind::LineEndConstant},
            {"vblf", "\n", 1, TokenKind::LineEndConstant},     {"vbcr", "\r", 1, TokenKind::LineEndConstant},
            {"vbnullchar", "\0", 1, TokenKind::Bytes},
        };
        for (const Constant& constant : kConstants) {
            if (sameName(token.bytes, constant.name)) {
                token.kind = constant.kind;
                token.bytes.assign(constant.bytes, constant.size);
                return;
            }
        }
        if (sameName(token.bytes, "chrw")) {
            token.kind = argument(0xFFFF, token.unit) ? TokenKind::CodeUnit : TokenKind::Invalid;
        } else if (sameName(token.bytes, "chr")) {
            std::uint32_t byte = 0;
            token.kind = argument(0xFF, byte) ? TokenKind::Bytes : TokenKind::Invalid;
            token.bytes.assign(1, static_cast<char>(byte));
        } else {
            token.kind = TokenKind::Name;
        }
    }

    const std::string& in_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::size_t lineStart_ = 0;
};

// --- the parser ---

bool isOperand(TokenKind kind) {
    return kind == TokenKind::Literal || kind == TokenKind::LineEndConstant || kind == TokenKind::Bytes ||
           kind == TokenKind::CodeUnit;
}

class Decoder {
public:
    Decoder(const std::string& in, std::string& text) : tokens_(in), out_(text, in.size()) {}

    bool run(DecodeStop& stop) {
        const bool ok = expression();
        if (!ok) {
            stop.line = failed_.line;
            stop.column = failed_.column;
        }
        out_.finish();
        return ok;
    }

private:
    bool fail(const Token& token) {
        failed_ = token;
        return false;
    }
    bool isName(const Token& token) const { return token.kind == TokenKind::Name && sameName(token.bytes, name_); }

    // The first statement's start: "=" or NAME "=".
    bool firstStatementStart() {
        Token token = tokens_.next();
        if (token.kind == TokenKind::Name) {
            name_ = token.bytes;
            token = tokens_.next();
        }
        return token.kind == TokenKind::Equals || fail(token);
    }
    // A further statement's start: NAME "=" NAME "&", NAME the first's.
    bool nextStatementStart(const Token& first) {
        if (name_.empty() || !isName(first)) return fail(first);
        Token token = tokens_.next();
        if (token.kind != TokenKind::Equals) return fail(token);
        token = tokens_.next();
        if (!isName(token)) return fail(token);
        token = tokens_.next();
        return token.kind == TokenKind::Ampersand || fail(token);
    }
    // Ends the current line of text: CR LF, unless its last operand was a
    // line-end constant, which has ended it already.
    void endTextLine() {
        if (!lineEndedByConstant_) out_.lineEnd();
        lineEndedByConstant_ = false;
    }
    // The operands of one statement, over its physical lines. True at its
    // end, `more` telling whether a line end follows it.
    bool statementBody(bool& more) {
        bool expectOperand = true;
        for (;;) {
            Token token = tokens_.next();
            if (expectOperand) {
                if (token.kind == TokenKind::Continuation) {
                    // After an operator: the text line goes on, also across
                    // the end of the previous statement.
                    statementBreakPending_ = false;
                    continue;
                }
                if (!isOperand(token.kind)) return fail(token);
                if (statementBreakPending_) endTextLine();
                statementBreakPending_ = false;
                out_.add(token.kind == TokenKind::CodeUnit, token.bytes, token.unit);
                lineEndedByConstant_ = token.kind == TokenKind::LineEndConstant;
                expectOperand = false;
            } else if (token.kind == TokenKind::Ampersand) {
                expectOperand = true;
            } else if (token.kind == TokenKind::Continuation) {
                // Lines holding " _" alone are empty lines of text; then the
                // expression goes on with "&".
                do {
                    endTextLine();
                    token = tokens_.next();
                } while (token.kind == TokenKind::Continuation);
                if (token.kind != TokenKind::Ampersand) return fail(token);
                expectOperand = true;
            } else if (token.kind == TokenKind::LineEnd || token.kind == TokenKind::End) {
                more = token.kind == TokenKind::LineEnd;
                return true;
            } else {
                return fail(token);
            }
        }
    }
    bool expression() {
        if (!firstStatementStart()) return false;
        bool more = false;
        if (!statementBody(more)) return false;
        // The line end after the last statement is the file's, not text.
        while (more) {
            const Token first = tokens_.next();
            if (first.kind == TokenKind::End) return true;
            statementBreakPending_ = true;
            if (!nextStatementStart(first)) return false;
            if (!statementBody(more)) return false;
        }
        return true;
    }

    Tokenizer tokens_;
    TextBuilder out_;
    Token failed_;
    std::string name_;
    bool lineEndedByConstant_ = false;
    bool statementBreakPending_ = false;
};

}  // namespace

bool decodeExpression(const std::string& expression, std::string& text, DecodeStop& stop) {
    return Decoder(expression, text).run(stop);
}
