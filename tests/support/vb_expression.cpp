#include "support/vb_expression.h"

namespace {

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    bool parse(std::string& value, std::string& error) {
        bool ok = parseAll(value);
        if (!ok) error = error_ + " at byte " + std::to_string(pos_);
        return ok;
    }

private:
    bool fail(const char* why) {
        error_ = why;
        return false;
    }
    bool take(const char* literal) {
        std::size_t n = std::char_traits<char>::length(literal);
        if (text_.compare(pos_, n, literal) != 0) return false;
        pos_ += n;
        return true;
    }
    // A literal: '"', characters with "" for a quote, '"'.
    bool literal(std::string& value) {
        if (!take("\"")) return fail("expected a string literal");
        for (;;) {
            if (pos_ >= text_.size()) return fail("string literal not closed");
            char c = text_[pos_++];
            if (c == '\n' || c == '\r') return fail("line break inside a string literal");
            if (c == '\0') return fail("NUL inside a string literal");
            if (c != '"') {
                value += c;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == '"') {
                value += '"';
                ++pos_;
                continue;
            }
            return true;
        }
    }
    // After an operand: " _" and a line end continues; a line end alone ends
    // the expression and must be the end of the output.
    bool lineEnd(bool& continued) {
        if (take(" _\r\n")) {
            continued = true;
            return true;
        }
        if (take("\r\n")) {
            continued = false;
            if (pos_ != text_.size()) return fail("text after the end of the expression");
            return true;
        }
        return fail("expected \" _\" or the end of the line after a literal");
    }
    // Operands joined by " & ": string literals and the constants vbCr and
    // vbNullChar.
    bool operands(std::string& value) {
        do {
            if (take("vbCr")) {
                value += '\r';
            } else if (take("vbNullChar")) {
                value += '\0';
            } else if (!literal(value)) {
                return false;
            }
        } while (take(" & "));
        return true;
    }
    bool parseAll(std::string& value) {
        if (!take("\t= ")) return fail("expected the prologue \"\\t= \"");
        if (!operands(value)) return false;
        bool continued;
        if (!lineEnd(continued)) return false;
        while (continued) {
            if (take("\t_\r\n")) continue;
            if (!take("\t& ")) return fail("expected \"\\t& \" or \"\\t_\" at a line start");
            if (!operands(value)) return false;
            if (!lineEnd(continued)) return false;
        }
        return true;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
    std::string error_;
};

}  // namespace

bool parseVbExpression(const std::string& output, std::string& value, std::string& error) {
    value.clear();
    error.clear();
    return Parser(output).parse(value, error);
}
