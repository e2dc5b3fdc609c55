#include "parser/decode_expression.h"

#include <cstdint>

namespace {

// One operand's contribution to the text.
enum class OperandKind { Bytes, LineEnd, CodeUnit };

struct Operand {
    OperandKind kind = OperandKind::Bytes;
    std::string bytes;        // Bytes and LineEnd
    std::uint32_t unit = 0;   // CodeUnit: a UTF-16 code unit of ChrW
};

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

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool isHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The decoded text, with the line ends the layout gives and the ChrW
// characters put together.
class TextBuilder {
public:
    explicit TextBuilder(std::string& text) : text_(text) { text_.clear(); }

    void add(const Operand& operand) {
        if (operand.kind == OperandKind::CodeUnit) {
            addUnit(operand.unit);
            return;
        }
        flushHigh();
        text_ += operand.bytes;
    }
    void lineEnd() { add(Operand{OperandKind::Bytes, "\r\n", 0}); }
    void finish() { flushHigh(); }

private:
    void addUnit(std::uint32_t unit) {
        if (highSurrogate_ != 0 && isLowSurrogate(unit)) {
            appendUtf8(text_, 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
            highSurrogate_ = 0;
            return;
        }
        flushHigh();
        if (isHighSurrogate(unit)) {
            highSurrogate_ = unit;
        } else {
            appendUtf8(text_, unit);
        }
    }
    void flushHigh() {
        if (highSurrogate_ != 0) appendUtf8(text_, highSurrogate_);
        highSurrogate_ = 0;
    }

    std::string& text_;
    std::uint32_t highSurrogate_ = 0;
};

class Decoder {
public:
    Decoder(const std::string& in, std::string& text) : in_(in), out_(text) {}

    bool run(DecodeStop& stop) {
        const bool ok = expression();
        if (!ok) {
            stop.line = line_;
            stop.column = failAt_ - lineStart_ + 1;
        }
        out_.finish();
        return ok;
    }

private:
    // --- the layout: blanks, line ends, continuations ---

    bool fail() {
        failAt_ = pos_;
        return false;
    }
    bool atEnd() const { return pos_ >= in_.size(); }
    char peek(std::size_t ahead = 0) const { return pos_ + ahead < in_.size() ? in_[pos_ + ahead] : '\0'; }
    void skipBlanks() {
        while (!atEnd() && isBlank(in_[pos_])) ++pos_;
    }
    std::size_t lineEndLength(std::size_t at) const {
        if (at < in_.size() && in_[at] == '\n') return 1;
        if (at + 1 < in_.size() && in_[at] == '\r' && in_[at + 1] == '\n') return 2;
        return 0;
    }
    // Consumes a line end, starting the next physical line.
    bool takeLineEnd() {
        std::size_t length = lineEndLength(pos_);
        if (length == 0) return false;
        pos_ += length;
        ++line_;
        lineStart_ = pos_;
        return true;
    }
    // " _" then the line end: a blank (or the line's start) before the
    // underscore is needed, else it would belong to the token before it.
    bool atContinuation() const {
        if (peek() != '_' || (pos_ != lineStart_ && !isBlank(in_[pos_ - 1]))) return false;
        std::size_t at = pos_ + 1;
        while (at < in_.size() && isBlank(in_[at])) ++at;
        return lineEndLength(at) != 0;
    }
    void takeContinuation() {
        ++pos_;
        skipBlanks();
        takeLineEnd();
    }

    // --- tokens ---

    std::string name() {
        std::size_t start = pos_;
        if (!isLetter(peek())) return std::string();
        while (!atEnd() && (isLetter(in_[pos_]) || isDigit(in_[pos_]) || in_[pos_] == '_')) ++pos_;
        return in_.substr(start, pos_ - start);
    }
    bool take(char c) {
        if (peek() != c) return false;
        ++pos_;
        return true;
    }
    bool takeName(const std::string& expected) {
        const std::size_t start = pos_;
        if (sameName(name(), expected)) return true;
        pos_ = start;
        return fail();
    }
    // A string literal, quotes doubled inside.
    bool literal(std::string& bytes) {
        ++pos_;
        for (;;) {
            if (atEnd()) return fail();
            const char c = in_[pos_];
            if (c == '\n' || c == '\r' || c == '\0' || c == '\x1A') return fail();
            ++pos_;
            if (c != '"') {
                bytes += c;
            } else if (peek() == '"') {
                bytes += '"';
                ++pos_;
            } else {
                return true;
            }
        }
    }
    // "(" N ")" with N decimal or &H hexadecimal, at most `limit`.
    bool argument(std::uint32_t limit, std::uint32_t& value) {
        if (!take('(')) return fail();
        const std::size_t start = pos_;
        std::uint64_t number = 0;
        std::size_t digits = 0;
        if (peek() == '&' && lower(peek(1)) == 'h') {
            pos_ += 2;
            for (;; ++pos_, ++digits) {
                const char c = lower(peek());
                int digit = isDigit(c) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
                if (digit < 0) break;
                number = number * 16 + static_cast<unsigned>(digit);
                if (number > limit) break;
            }
        } else {
            for (; isDigit(peek()); ++pos_, ++digits) {
                number = number * 10 + static_cast<unsigned>(peek() - '0');
                if (number > limit) break;
            }
        }
        if (digits == 0 || number > limit) {
            if (digits == 0) pos_ = start;
            return fail();
        }
        if (!take(')')) return fail();
        value = static_cast<std::uint32_t>(number);
        return true;
    }
    bool operand(Operand& result) {
        result = Operand();
        if (peek() == '"') return literal(result.bytes);
        const std::size_t start = pos_;
        const std::string word = name();
        struct Constant {
            const char* name;
            const char* bytes;
            std::size_t size;
            OperandKind kind;
        };
        static const Constant kConstants[] = {
            {"vbcrlf", "\r\n", 2, OperandKind::LineEnd},    {"vbnewline", "\r\n", 2, OperandKind::LineEnd},
            {"vblf", "\n", 1, OperandKind::LineEnd},        {"vbcr", "\r", 1, OperandKind::LineEnd},
            {"vbnullchar", "\0", 1, OperandKind::Bytes},
        };
        for (const Constant& constant : kConstants) {
            if (sameName(word, constant.name)) {
                result.kind = constant.kind;
                result.bytes.assign(constant.bytes, constant.size);
                return true;
            }
        }
        if (sameName(word, "chrw")) {
            result.kind = OperandKind::CodeUnit;
            return argument(0xFFFF, result.unit);
        }
        if (sameName(word, "chr")) {
            std::uint32_t byte = 0;
            if (!argument(0xFF, byte)) return false;
            result.bytes.assign(1, static_cast<char>(byte));
            return true;
        }
        pos_ = start;
        return fail();
    }

    // --- the grammar ---

    // The first statement's start: "=" or NAME "=".
    bool firstStatementStart() {
        skipBlanks();
        if (peek() != '=') {
            name_ = name();
            if (name_.empty()) return fail();
            skipBlanks();
        }
        if (!take('=')) return fail();
        return true;
    }
    // A further statement's start: NAME "=" NAME "&".
    bool nextStatementStart() {
        if (name_.empty()) return fail();
        skipBlanks();
        if (!takeName(name_)) return false;
        skipBlanks();
        if (!take('=')) return fail();
        skipBlanks();
        if (!takeName(name_)) return false;
        skipBlanks();
        if (!take('&')) return fail();
        return true;
    }
    // Ends the current line of text: CR LF, unless its last operand was a
    // line-end constant, which has ended it already.
    void endTextLine() {
        if (!lineEndedByConstant_) out_.lineEnd();
        lineEndedByConstant_ = false;
    }
    // The operands of one statement, over its physical lines, up to the end
    // of its last line. True at its end, `more` telling whether a line end
    // follows it (another statement, or the file's final line end).
    bool statementBody(bool& more) {
        bool expectOperand = true;
        for (;;) {
            skipBlanks();
            if (expectOperand) {
                if (atContinuation()) {
                    // After an operator: the text line goes on, also across
                    // the end of the previous statement.
                    takeContinuation();
                    statementBreakPending_ = false;
                    continue;
                }
                Operand value;
                if (!operand(value)) return false;
                if (statementBreakPending_) endTextLine();
                statementBreakPending_ = false;
                out_.add(value);
                lineEndedByConstant_ = value.kind == OperandKind::LineEnd;
                expectOperand = false;
                continue;
            }
            if (take('&')) {
                expectOperand = true;
                continue;
            }
            if (atContinuation()) {
                takeContinuation();
                endTextLine();
                // Lines holding " _" alone are empty lines of text; then
                // the expression goes on with "&".
                for (;;) {
                    skipBlanks();
                    if (!atContinuation()) break;
                    takeContinuation();
                    endTextLine();
                }
                if (!take('&')) return fail();
                expectOperand = true;
                continue;
            }
            if (atEnd()) {
                more = false;
                return true;
            }
            if (!takeLineEnd()) return fail();
            more = true;
            return true;
        }
    }
    bool expression() {
        if (!firstStatementStart()) return false;
        bool more = false;
        if (!statementBody(more)) return false;
        // The line end after the last statement is the file's, not text.
        while (more && !atEnd()) {
            statementBreakPending_ = true;
            if (!nextStatementStart()) return false;
            if (!statementBody(more)) return false;
        }
        return true;
    }

    const std::string& in_;
    TextBuilder out_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::size_t lineStart_ = 0;
    std::size_t failAt_ = 0;
    std::string name_;
    bool lineEndedByConstant_ = false;
    bool statementBreakPending_ = false;
};

}  // namespace

bool decodeExpression(const std::string& expression, std::string& text, DecodeStop& stop) {
    return Decoder(expression, text).run(stop);
}
