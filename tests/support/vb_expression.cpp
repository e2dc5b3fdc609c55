#include "support/vb_expression.h"

#include <cstdint>
#include <vector>

#include "platform/utf8.h"

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value as it is built: bytes, and UTF-16 code units from ChrW, which
// become UTF-8 once their neighbours are known.
class Value {
public:
    void byte(char c) {
        settle();
        bytes_ += c;
    }
    void unit(std::uint32_t u) {
        if (high_ != 0 && u >= 0xDC00 && u <= 0xDFFF) {
            platform::appendUtf8(bytes_, 0x10000 + ((high_ - 0xD800) << 10) + (u - 0xDC00));
            high_ = 0;
            return;
        }
        settle();
        if (u >= 0xD800 && u <= 0xDBFF) {
            high_ = u;
        } else {
            platform::appendUtf8(bytes_, u);
        }
    }
    std::string finish() {
        settle();
        return bytes_;
    }

private:
    void settle() {
        if (high_ != 0) platform::appendUtf8(bytes_, high_);
        high_ = 0;
    }
    std::string bytes_;
    std::uint32_t high_ = 0;
};

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    bool parse(std::string& value, std::string& error, VbShape& shape) {
        bool ok = parseAll(shape);
        value = value_.finish();
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
    bool literal() {
        if (!take("\"")) return fail("expected an operand");
        for (;;) {
            if (pos_ >= text_.size()) return fail("string literal not closed");
            char c = text_[pos_++];
            if (c == '\n' || c == '\r') return fail("line break inside a string literal");
            if (c == '\0') return fail("NUL inside a string literal");
            if (c != '"') {
                value_.byte(c);
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == '"') {
                value_.byte('"');
                ++pos_;
                continue;
            }
            return true;
        }
    }
    // N of ChrW(N) or Chr(N): decimal digits or &H and hexadecimal digits.
    bool number(std::uint32_t& n) {
        n = 0;
        int digits = 0;
        if (take("&H")) {
            for (; pos_ < text_.size() && digits < 8; ++pos_, ++digits) {
                char c = text_[pos_];
                int d = isDigit(c) ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
                if (d < 0) break;
                n = n * 16 + static_cast<std::uint32_t>(d);
            }
        } else {
            for (; pos_ < text_.size() && isDigit(text_[pos_]) && digits < 6; ++pos_, ++digits) {
                n = n * 10 + static_cast<std::uint32_t>(text_[pos_] - '0');
            }
        }
        return digits > 0 ? true : fail("expected a number");
    }
    bool call() {
        const bool wide = take("ChrW(");
        if (!wide && !take("Chr(")) return literal();
        std::uint32_t n;
        if (!number(n)) return false;
        if (!take(")")) return fail("expected ')'");
        if (wide) {
            if (n > 0xFFFF) return fail("ChrW of a number beyond 65535");
            value_.unit(n);
        } else {
            if (n > 0xFF) return fail("Chr of a number beyond 255");
            value_.byte(static_cast<char>(n));
        }
        return true;
    }
    bool operand() {
        // Longer names first: vbCrLf before vbCr.
        static const struct {
            const char* name;
            const char* value;
        } kConstants[] = {{"vbCrLf", "\r\n"}, {"vbCr", "\r"},         {"vbLf", "\n"},
                          {"vbNewLine", "\r\n"}, {"vbNullChar", "\0"}};
        for (const auto& constant : kConstants) {
            if (take(constant.name)) {
                const char* v = constant.value;
                if (*v == '\0') value_.byte('\0');
                for (; *v != '\0'; ++v) value_.byte(*v);
                return true;
            }
        }
        return call();
    }
    // Operands joined by " & "; a line may end after the "&" (" & _"), and
    // the next one then goes on, after its TAB, with the next operand.
    bool operands(VbShape& shape, int& continuations, std::size_t& lineStart) {
        for (;;) {
            if (!operand()) return false;
            if (!take(" & ")) return true;
            if (take("_\r\n") && !goOnAfterOperator(shape, continuations, lineStart)) return false;
        }
    }
    bool goOnAfterOperator(VbShape& shape, int& continuations, std::size_t& lineStart) {
        noteLine(lineStart, shape);
        ++continuations;
        lineStart = pos_;
        return take("\t") || fail("expected a TAB before the operand that goes on");
    }
    // After the operands: " _" and a line end continue the statement; a
    // line end alone ends it.
    bool lineEnd(bool& continued) {
        if (take(" _\r\n")) {
            continued = true;
            return true;
        }
        if (take("\r\n")) {
            continued = false;
            return true;
        }
        return fail("expected \" _\" or the end of the line after an operand");
    }
    bool name(std::string& found) {
        std::size_t start = pos_;
        if (pos_ >= text_.size() || !isLetter(text_[pos_])) return fail("expected a variable name");
        while (pos_ < text_.size() && (isLetter(text_[pos_]) || isDigit(text_[pos_]) || text_[pos_] == '_')) ++pos_;
        found = text_.substr(start, pos_ - start);
        return true;
    }
    void noteLine(std::size_t start, VbShape& shape) {
        // The line ends with its CR LF, taken already.
        std::size_t length = pos_ - start - 2;
        if (length > shape.maxLineLength) shape.maxLineLength = length;
    }
    bool statement(VbShape& shape, bool first) {
        std::size_t lineStart = pos_;
        if (first) {
            if (!take("\t= ")) {
                if (!name(shape.variable)) return fail("expected \"\\t= \" or \"NAME = \"");
                if (!take(" = ")) return fail("expected \" = \" after the variable");
            }
        } else {
            std::string again;
            if (shape.variable.empty()) return fail("text after the end of the expression");
            if (!name(again) || again != shape.variable || !take(" = ") || !name(again) ||
                again != shape.variable || !take(" & ")) {
                return fail("expected \"NAME = NAME & \" to go on with the variable");
            }
        }
        ++shape.statements;
        int continuations = 0;
        if (!first && take("_\r\n") && !goOnAfterOperator(shape, continuations, lineStart)) return false;
        bool continued;
        if (!operands(shape, continuations, lineStart) || !lineEnd(continued)) return false;
        noteLine(lineStart, shape);
        while (continued) {
            ++continuations;
            lineStart = pos_;
            if (take("\t_\r\n")) {
                noteLine(lineStart, shape);
                continue;
            }
            if (!take("\t& ")) return fail("expected \"\\t& \" or \"\\t_\" at a line start");
            if (!operands(shape, continuations, lineStart) || !lineEnd(continued)) return false;
            noteLine(lineStart, shape);
        }
        if (continuations > shape.maxContinuations) shape.maxContinuations = continuations;
        return true;
    }
    bool parseAll(VbShape& shape) {
        if (!statement(shape, true)) return false;
        while (pos_ < text_.size()) {
            if (!statement(shape, false)) return false;
        }
        return true;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
    std::string error_;
    Value value_;
};

}  // namespace

bool parseVbExpression(const std::string& output, std::string& value, std::string& error, VbShape* shape) {
    value.clear();
    error.clear();
    VbShape local;
    return Parser(output).parse(value, error, shape != nullptr ? *shape : local);
}

std::string vbaRuleFault(const VbShape& shape) {
    if (shape.maxContinuations > 24) {
        return "a statement has " + std::to_string(shape.maxContinuations) + " line continuations (24 at most)";
    }
    if (shape.maxLineLength > 1023) {
        return "a line has " + std::to_string(shape.maxLineLength) + " characters (1,023 at most)";
    }
    return "";
}
