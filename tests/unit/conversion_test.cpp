// Exact output of the conversion rules, through a memory buffer and through
// the whole per-file frame reading standard input.
#include <gtest/gtest.h>

#include <random>

#include "support/capture.h"
#include "support/convert.h"
#include "support/text_model.h"
#include "support/vb_expression.h"

namespace {

struct Case {
    const char* name;
    std::string input;
    std::string expected;  // line ends written as \n here, CR LF in the output
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"worked example", "ab\nsay \"hi\"\n\nend\n",
         "\t= \"ab\" _\n\t& \"say \"\"hi\"\"\" _\n\t_\n\t& \"end\" _\n\t& \"\"\n"},
        {"worked example without final newline", "ab\nsay \"hi\"\n\nend",
         "\t= \"ab\" _\n\t& \"say \"\"hi\"\"\" _\n\t_\n\t& \"end\"\n"},
        {"empty input", "", "\t= \"\"\n"},
        {"single newline", "\n", "\t= \"\" _\n\t& \"\"\n"},
        {"empty first line", "\nab", "\t= \"\" _\n\t& \"ab\"\n"},
        {"quote at line start", "ab\n\"x\"\n", "\t= \"ab\" _\n\t& \"\"\"x\"\"\" _\n\t& \"\"\n"},
        {"quote first", "\"x\"", "\t= \"\"\"x\"\"\"\n"},
        {"two newlines after text", "a\n\nb", "\t= \"a\" _\n\t_\n\t& \"b\"\n"},
        {"runs of empty lines", "\n\n\n", "\t= \"\" _\n\t_\n\t_\n\t& \"\"\n"},
        {"lone quote", "\"", "\t= \"\"\"\"\n"},
        {"NUL in the middle", std::string("a\0b", 3), "\t= \"a\" & vbNullChar & \"b\"\n"},
        {"NUL last", std::string("ab\0", 3), "\t= \"ab\" & vbNullChar & \"\"\n"},
        {"NUL alone", std::string("\0", 1), "\t= \"\" & vbNullChar & \"\"\n"},
        {"NUL opens a line", std::string("a\n\0", 3), "\t= \"a\" _\n\t& vbNullChar & \"\"\n"},
        {"NUL then CR", std::string("\0\rx", 3), "\t= \"\" & vbNullChar & \"\" & vbCr & \"x\"\n"},
        {"high bytes", "\x80\xff\xe9", "\t= \"\x80\xff\xe9\"\n"},
        {"tab and blanks", "\t a ", "\t= \"\t a \"\n"},
    };
    return all;
}

TEST(Conversion, ExactBytesThroughMemoryBuffer) {
    for (const Case& c : cases()) {
        EXPECT_EQ(convertMemory(c.input), crlf(c.expected)) << c.name;
    }
}

TEST(Conversion, ExactBytesThroughStandardInput) {
    for (const Case& c : cases()) {
        EXPECT_EQ(convertStream(c.input), crlf(c.expected)) << c.name;
    }
}

// What the text-mode input does to line ends and Ctrl-Z, as the file
// converter sees it; a memory buffer takes every byte as it is.
TEST(Conversion, TextModeInput) {
    struct TextCase {
        const char* name;
        std::string input;
        std::string fromStream;
        std::string fromMemory;
    };
    const std::vector<TextCase> textCases = {
        {"CR LF is one newline", "ab\r\ncd\r\n", "\t= \"ab\" _\n\t& \"cd\" _\n\t& \"\"\n",
         "\t= \"ab\" & vbCr & \"\" _\n\t& \"cd\" & vbCr & \"\" _\n\t& \"\"\n"},
        {"lone CR is vbCr", "a\rb", "\t= \"a\" & vbCr & \"b\"\n", "\t= \"a\" & vbCr & \"b\"\n"},
        {"CR first", "\rb", "\t= \"\" & vbCr & \"b\"\n", "\t= \"\" & vbCr & \"b\"\n"},
        {"CR opens a line", "a\n\r\"", "\t= \"a\" _\n\t& vbCr & \"\"\"\"\n",
         "\t= \"a\" _\n\t& vbCr & \"\"\"\"\n"},
        {"CR CR LF", "a\r\r\nb", "\t= \"a\" & vbCr & \"\" _\n\t& \"b\"\n",
         "\t= \"a\" & vbCr & \"\" & vbCr & \"\" _\n\t& \"b\"\n"},
        {"Ctrl-Z ends the input", "ab\x1a" "cd\n", "\t= \"ab\"\n", "\t= \"ab\x1a" "cd\" _\n\t& \"\"\n"},
        {"Ctrl-Z first", "\x1a" "abc", "\t= \"\"\n", "\t= \"\x1a" "abc\"\n"},
    };
    for (const TextCase& c : textCases) {
        EXPECT_EQ(convertStream(c.input), crlf(c.fromStream)) << c.name;
        EXPECT_EQ(convertMemory(c.input), crlf(c.fromMemory)) << c.name;
    }
}

TEST(Conversion, LongLineIsConvertedWhole) {
    std::string line(100000, 'x');
    line[5000] = '"';
    std::string expected = "\t= \"" + line.substr(0, 5000) + "\"\"" + line.substr(5001) + "\"\n";
    EXPECT_EQ(convertStream(line), crlf(expected));
    EXPECT_EQ(convertMemory(line), crlf(expected));
}

TEST(Conversion, EveryOutputOfTheTableIsAValidExpression) {
    for (const Case& c : cases()) {
        std::string value, error;
        ASSERT_TRUE(parseVbExpression(crlf(c.expected), value, error)) << c.name << ": " << error;
        EXPECT_EQ(value, withoutLineFeeds(c.input)) << c.name;
    }
}

// The checker must refuse the outputs of the uncounted-prologue rules.
TEST(VbExpressionChecker, RejectsBrokenOutputs) {
    const std::vector<std::pair<const char*, std::string>> broken = {
        {"lone quote after a final newline", "\t= \"ab\" _\n\t& \"end\" _\n\"\n"},
        {"newline right after the prologue", "\t= \"\t_\n\"\n"},
        {"doubled quote before the operand", "\t= \"ab\" _\n\"\"\t& \"x\"\"\" _\n\"\n"},
        {"empty first line opening nothing", "\t= \"\t_\nab\"\n"},
        {"no prologue", "\"ab\"\n"},
        {"string never closed", "\t= \"ab\n"},
        {"continuation at the end", "\t= \"ab\" _\n"},
        {"bare continuation at the end", "\t= \"ab\" _\n\t_\n"},
        {"text after the end", "\t= \"ab\"\n\t& \"c\"\n"},
        {"missing line end", "\t= \"ab\""},
        {"LF without CR", "\t= \"ab\" _\n\t& \"\"\n"},
        {"raw CR inside a literal", "\t= \"a\rb\"\n"},
        {"vbCr without its ampersand", "\t= \"a\" vbCr\n"},
        {"raw NUL inside a literal", std::string("\t= \"a\0b\"\n", 9)},
    };
    for (const auto& [name, text] : broken) {
        std::string value, error;
        std::string output = std::string(name) == std::string("LF without CR") ? text : crlf(text);
        EXPECT_FALSE(parseVbExpression(output, value, error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
}

// Generated inputs of the bytes that matter: every output must be a valid
// expression whose value is the input without its line breaks, laid out
// line for line as the input.
TEST(Conversion, PropertyValueEqualsInputWithoutLineBreaks) {
    std::mt19937 random(20261208);
    const std::string alphabet = std::string("\"\n\r\0\x1a\xff\x80\t a", 11);
    for (int round = 0; round < 400; ++round) {
        std::size_t length = random() % 40;
        std::string input;
        for (std::size_t i = 0; i < length; ++i) input += alphabet[random() % alphabet.size()];
        if (round % 3 == 0 && !input.empty() && input.back() == '\n') input.pop_back();

        const std::string fromMemory = convertMemory(input);
        EXPECT_EQ(conversionFault(fromMemory, input), "") << "memory, round " << round;
        const std::string fromStream = convertStream(input);
        EXPECT_EQ(conversionFault(fromStream, textModeDecode(input)), "") << "stream, round " << round;
    }
}

}  // namespace

namespace {

// A memory buffer freed while current leaves the scanner without a buffer
// and without an input stream: the next scan reads standard input again.
TEST(Conversion, StreamScanAfterAFreedMemoryBuffer) {
    EXPECT_EQ(convertMemory("ab"), crlf("\t= \"ab\"\n"));
    EXPECT_EQ(convertNextStream("cd\n"), crlf("\t= \"cd\" _\n\t& \"\"\n"));
}

}  // namespace
