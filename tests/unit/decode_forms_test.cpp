// Round trips through every form of the expression, over random texts:
// each form is written here by a model of its layout (line ends as
// constants, a variable, statements of a few continuations with long lines
// split into literals, characters as ChrW and Chr), with small limits so
// that short texts meet every split; decoding must give the text back,
// also read a few bytes at a time.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "parser/decode_expression.h"
#include "support/decode.h"
#include "support/text_model.h"

namespace {

struct FormOptions {
    std::string lineEnd;          // -nl constant, or "" for none
    std::string name;             // -var / -vba variable, or "" for TAB "="
    int maxContinuations = 0;     // -vba: continuations per statement; 0 no limit
    std::size_t maxLineLength = 0;  // -vba: characters of operands per line; 0 no limit
    bool chrw = false;
};

std::string hex(std::uint32_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), digits[value % 16]);
        value /= 16;
    } while (value != 0);
    return "&H" + text;
}

// The length of the valid UTF-8 character at `text[at]`, its code point in
// `code`, or 0 when the bytes there are no valid UTF-8.
std::size_t utf8Character(const std::string& text, std::size_t at, std::uint32_t& code) {
    const unsigned char first = static_cast<unsigned char>(text[at]);
    std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 0;
    if (first >= 0xF5 || length == 0 || at + length > text.size()) return 0;
    code = first & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    static const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

// One line of text (no line feed) as operands, long literals cut.
std::vector<std::string> operandsOf(const std::string& line, const FormOptions& form) {
    std::vector<std::string> operands;
    std::string literal;
    const std::size_t longest = form.maxLineLength != 0 ? form.maxLineLength / 3 : std::string::npos;
    std::size_t literalChars = 0;
    auto closeLiteral = [&] {
        if (literalChars != 0) operands.push_back("\"" + literal + "\"");
        literal.clear();
        literalChars = 0;
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        std::uint32_t code = 0;
        std::size_t length = 0;
        if (c == '\r' || c == '\0') {
            closeLiteral();
            operands.push_back(c == '\r' ? "vbCr" : "vbNullChar");
        } else if (form.chrw && c >= 0x80) {
            closeLiteral();
            length = utf8Character(line, i, code);
            if (length == 0) {
                operands.push_back("Chr(" + hex(c) + ")");
            } else if (code >= 0x10000) {
                operands.push_back("ChrW(" + hex(0xD800 + ((code - 0x10000) >> 10)) + ")");
                operands.push_back("ChrW(" + hex(0xDC00 + ((code - 0x10000) & 0x3FF)) + ")");
                i += length - 1;
            } else {
                operands.push_back("ChrW(" + hex(code) + ")");
                i += length - 1;
            }
        } else {
            if (literalChars == longest) closeLiteral();
            literal += c == '"' ? "\"\"" : std::string(1, static_cast<char>(c));
            ++literalChars;
        }
    }
    closeLiteral();
    // As the tool writes them, a CR or a NUL opens the next string: a line
    // ending with the bare constant vbCr is one that -nl:vbCr ended.
    if (!operands.empty() && (operands.back() == "vbCr" || operands.back() == "vbNullChar")) operands.push_back("\"\"");
    return operands;
}

// The expression the form writes for `text` as text mode reads it.
std::string expressionOf(const std::string& text, const FormOptions& form) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1)
        lines.push_back(text.substr(start, lf - start));
    lines.push_back(text.substr(start));
    const bool keepsLineEnds = !form.lineEnd.empty();
    // With line ends as constants the last line, when empty, is said by the
    // line end before it.
    const bool endsWithLineEnd = keepsLineEnds && lines.size() > 1 && lines.back().empty();
    if (endsWithLineEnd) lines.pop_back();

    std::string out;
    int continuations = 0;
    bool statementOpen = false;
    bool joined = false;  // the last physical line ended with "& _"
    auto startLine = [&](bool hasOperand) {
        if (!statementOpen) {
            if (out.empty()) {
                out += form.name.empty() ? "\t= " : form.name + " = ";
            } else {
                out += form.name + " = " + form.name + " & ";
            }
            statementOpen = true;
            continuations = 0;
        } else if (joined) {
            out += "\t";
        } else {
            out += hasOperand ? "\t& " : "\t";
        }
    };
    // Ends a physical line with " _" (or "& _"), or ends the statement
    // when it holds as many continuations as the form allows.
    auto endLine = [&](bool join) {
        if (form.maxContinuations != 0 && continuations == form.maxContinuations) {
            out += "\r\n";
            statementOpen = false;
            if (join) {
                startLine(false);
                out += "_\r\n";
                continuations = 1;
            }
        } else {
            out += join ? " & _\r\n" : " _\r\n";
            ++continuations;
        }
        joined = join;
    };

    for (std::size_t l = 0; l < lines.size(); ++l) {
        std::vector<std::string> operands = operandsOf(lines[l], form);
        const bool last = l + 1 == lines.size();
        if (keepsLineEnds && (!last || endsWithLineEnd)) operands.push_back(form.lineEnd);
        if (operands.empty()) {
            // An empty line: " _" alone where a continuation may stand,
            // else the empty literal.
            const bool alone = !last && statementOpen && !joined &&
                               (form.maxContinuations == 0 || continuations < form.maxContinuations);
            if (!alone) operands.push_back("\"\"");
        }
        if (operands.empty()) {
            startLine(false);
            out += "_\r\n";
            ++continuations;
            joined = false;
            continue;
        }
        std::size_t used = 0;
        startLine(true);
        for (std::size_t i = 0; i < operands.size(); ++i) {
            if (used != 0 && form.maxLineLength != 0 && used + operands[i].size() > form.maxLineLength) {
                endLine(true);
                startLine(true);
                used = 0;
            }
            if (used != 0) out += " & ";
            out += operands[i];
            used += operands[i].size() + 3;
        }
        if (!last) endLine(false);
    }
    return out + "\r\n";
}

std::string lineEndBytes(const std::string& constant) {
    if (constant == "vbLf") return "\n";
    if (constant == "vbCr") return "\r";
    return "\r\n";
}

// The text decoding gives: each line end as the form records it.
std::string decodedTextOf(const std::string& text, const FormOptions& form) {
    const std::string lineEnd = form.lineEnd.empty() ? "\r\n" : lineEndBytes(form.lineEnd);
    std::string out;
    for (char c : text) out += c == '\n' ? lineEnd : std::string(1, c);
    return out;
}

struct FormCase {
    const char* name;
    FormOptions options;
};

const std::vector<FormCase> kForms = {
    {"default", {}},
    {"-var", {"", "s", 0, 0, false}},
    {"-nl", {"vbCrLf", "", 0, 0, false}},
    {"-nl:vbLf", {"vbLf", "", 0, 0, false}},
    {"-nl:vbCr", {"vbCr", "", 0, 0, false}},
    {"-nl:vbNewLine", {"vbNewLine", "Text", 0, 0, false}},
    {"-chrw", {"", "", 0, 0, true}},
    {"-vba", {"", "s", 3, 24, false}},
    {"-vba -nl -chrw", {"vbCrLf", "s", 2, 30, true}},
    {"-vba -nl:vbLf", {"vbLf", "v", 1, 12, false}},
    {"-vba -chrw, one continuation", {"", "s", 1, 20, true}},
};

std::string randomText(std::mt19937& random, std::size_t length) {
    static const std::vector<std::string> pieces = {
        "a", "b", " ", "\t", "\"", "\n", "\n", "\n\n", "\r", std::string(1, '\0'), "&", "_",
        "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\xff", "\x80", "\xed\xa0\x80", "\xe2\x82", "xyzxyzxyz",
    };
    std::string text;
    while (text.size() < length) text += pieces[random() % pieces.size()];
    return text;
}

TEST(DecodeForms, EveryFormRoundTrips) {
    std::mt19937 random(1920);
    for (const FormCase& form : kForms) {
        for (int i = 0; i < 300; ++i) {
            // As text mode reads it: no CR LF pair, no 0x1A.
            const std::string text = textModeDecode(randomText(random, random() % (i < 250 ? 30 : 400)));
            const std::string expression = expressionOf(text, form.options);
            std::string decoded;
            DecodeStop stop;
            ASSERT_TRUE(decodeExpression(expression, decoded, stop))
                << form.name << ": stops at " << stop.line << ":" << stop.column << " of " << escaped(expression);
            ASSERT_EQ(escaped(decoded), escaped(decodedTextOf(text, form.options)))
                << form.name << " of " << escaped(expression);
            // Read a few bytes at a time, the same.
            PieceSource source(expression, 1 + i % 7);
            std::string streamed;
            ASSERT_EQ(decodeSource(source, streamed, stop), DecodeResult::Decoded) << form.name << " of " << escaped(expression);
            ASSERT_EQ(escaped(streamed), escaped(decoded)) << form.name << ", reads of " << 1 + i % 7;
            // The decoded text, read again, gives the same expression where
            // its line ends read back as line ends.
            if (form.options.lineEnd == "vbCr" || form.options.lineEnd == "vbLf") continue;
            ASSERT_EQ(escaped(expressionOf(textModeDecode(decoded), form.options)), escaped(expression))
                << form.name;
        }
    }
}

}  // namespace
