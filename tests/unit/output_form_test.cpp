// The output forms chosen by -nl, -var, -vba and -chrw, and UTF-16 files:
// their exact layout on small texts, and, for every combination of the
// options over generated texts, the value and the limits of VBA and VB6.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "scanner/output_form.h"
#include "scanner/scanner_state.h"
#include "support/convert.h"
#include "support/text_model.h"
#include "support/vb_expression.h"

namespace {

const OutputForm kPlain;
const OutputForm kNl = formOf(LineEndConstant::CrLf, "", false, false);
const OutputForm kNlLf = formOf(LineEndConstant::Lf, "", false, false);
const OutputForm kVar = formOf(LineEndConstant::None, "Page_1", false, false);
const OutputForm kChrw = formOf(LineEndConstant::None, "", false, true);
const OutputForm kVba = formOf(LineEndConstant::None, "", true, false);
const OutputForm kAll = formOf(LineEndConstant::CrLf, "t", true, true);

struct LayoutCase {
    const char* name;
    OutputForm form;
    std::string input;
    std::string expected;  // line ends written as \n here, CR LF in the output
};

// The layouts the README documents, one feature at a time.
TEST(OutputForm, ExactLayouts) {
    const std::vector<LayoutCase> cases = {
        {"-nl: each line end on the line it ends", kNl, "abc\n\nx\n",
         "\t= \"abc\" & vbCrLf _\n\t& vbCrLf _\n\t& \"x\" & vbCrLf _\n\t& \"\"\n"},
        {"-nl: an empty first line", kNl, "\nx", "\t= \"\" & vbCrLf _\n\t& \"x\"\n"},
        {"-nl:vbLf, no final line end", kNlLf, "a\r\nb", "\t= \"a\" & vbLf _\n\t& \"b\"\n"},
        {"-nl: a lone CR stays vbCr", kNl, "a\rb\n", "\t= \"a\" & vbCr & \"b\" & vbCrLf _\n\t& \"\"\n"},
        {"-var: the first line assigns", kVar, "a\n\nb", "Page_1 = \"a\" _\n\t_\n\t& \"b\"\n"},
        {"-chrw: two-byte character", kChrw, "caf\xC3\xA9!", "\t= \"caf\" & ChrW(&H00E9) & \"!\"\n"},
        {"-chrw: characters in a row, then a quote", kChrw, "\xE2\x80\x9C\xE2\x80\x9D\"",
         "\t= \"\" & ChrW(&H201C) & ChrW(&H201D) & \"\"\"\"\n"},
        {"-chrw: beyond U+FFFF as two halves", kChrw, "\xF0\x9F\x98\x80",
         "\t= \"\" & ChrW(&HD83D) & ChrW(&HDE00)\n"},
        {"-chrw: bytes that are not UTF-8", kChrw, "\xFF" "a\xC3", "\t= \"\" & Chr(&HFF) & \"a\" & Chr(&HC3)\n"},
        {"-chrw: a sequence cut by a line end", kChrw, "\xE2\x80\nx",
         "\t= \"\" & Chr(&HE2) & Chr(&H80) _\n\t& \"x\"\n"},
        {"-chrw: an overlong form is not UTF-8", kChrw, "\xC0\xAF", "\t= \"\" & Chr(&HC0) & Chr(&HAF)\n"},
        {"-chrw: a run of every kind of piece, its last bytes read from a copy", kChrw,
         "caf\xC3\xA9 \xF0\x9F\x98\x80\xE4\xB8\xAD 0123456789abcdefXYZ\xE2\x82\xAC",
         "\t= \"caf\" & ChrW(&H00E9) & \" \" & ChrW(&HD83D) & ChrW(&HDE00) & ChrW(&H4E2D) & \" 0123456789abcdefXYZ\" & "
         "ChrW(&H20AC)\n"},
        {"-chrw: a sequence unfinished at a run's end, and at the text's end", kChrw, "ab\xF0\x9F\x98\"x\xED\xA0\x80",
         "\t= \"ab\" & Chr(&HF0) & Chr(&H9F) & Chr(&H98) & \"\"\"x\" & Chr(&HED) & Chr(&HA0) & Chr(&H80)\n"},
        {"-chrw: UTF-8 of a surrogate half is not UTF-8", kChrw, "\xED\xA0\x80",
         "\t= \"\" & Chr(&HED) & Chr(&HA0) & Chr(&H80)\n"},
        {"-vba: an empty line is an empty literal", kVba, "a\n\n\nb\n",
         "s = \"a\" _\n\t& \"\" _\n\t& \"\" _\n\t& \"b\" _\n\t& \"\"\n"},
        {"everything: an empty line and a character", kAll, "\n\xC3\xA9\n",
         "t = \"\" & vbCrLf _\n\t& ChrW(&H00E9) & vbCrLf _\n\t& \"\"\n"},
    };
    for (const LayoutCase& c : cases) {
        EXPECT_EQ(convertInForm(c.input, c.form), crlf(c.expected)) << c.name;
    }
}

// The statement is restarted at its 25th line instead of a 25th
// continuation, and goes on from the variable.
TEST(OutputForm, VbaRestartsTheStatementAtItsLastLine) {
    std::string input;
    for (int i = 1; i <= 26; ++i) input += "L" + std::to_string(i) + "\n";
    std::string expected = "s = \"L1\" _\n";
    for (int i = 2; i <= 24; ++i) expected += "\t& \"L" + std::to_string(i) + "\" _\n";
    expected += "\t& \"L25\"\ns = s & \"L26\" _\n\t& \"\"\n";
    EXPECT_EQ(convertInForm(input, kVba), crlf(expected));
    // Ending with a line end exactly at the statement's end: the empty last
    // line is a statement of its own, so the line end is still there.
    input.resize(input.find("L26"));
    expected.resize(expected.find("s = s"));
    EXPECT_EQ(convertInForm(input, kVba), crlf(expected + "s = s & \"\"\n"));
    // A line of text cut where the statement ends goes on in the next one
    // from a line that holds no operand.
    input = "";
    for (int i = 1; i <= 24; ++i) input += "L\n";
    input += std::string(1500, 'x');
    const std::string cut = convertInForm(input, kVba);
    EXPECT_EQ(formFault(cut, input, kVba), "");
    EXPECT_NE(cut.find("\"\r\ns = s & _\r\n\t\"x"), std::string::npos);
}

// A long line is cut into literals of at most 1,023 characters a line,
// never inside a doubled quote, a call or a UTF-8 sequence.
TEST(OutputForm, VbaSplitsLongLines) {
    const std::string input = std::string(3000, 'x') + "\"" + std::string(2000, 'y');
    const std::string output = convertInForm(input, kVba);
    EXPECT_EQ(formFault(output, input, kVba), "");
    EXPECT_EQ(output.substr(0, 10), "s = \"xxxxx");
    const std::size_t firstEnd = output.find("\r\n");
    EXPECT_EQ(firstEnd, 1023u);  // the limit is used whole
    // The line goes on after the operator: one line of text, cut.
    EXPECT_EQ(output.substr(firstEnd - 6, 7), "x\" & _\r");
    EXPECT_EQ(output.compare(firstEnd + 2, 3, "\t\"x"), 0);

    // Without -chrw, a line of two-byte characters is cut between them.
    std::string accents;
    for (int i = 0; i < 1500; ++i) accents += "\xC3\xA9";
    const std::string split = convertInForm(accents, kVba);
    EXPECT_EQ(formFault(split, accents, kVba), "");
    for (std::size_t at = split.find("\" & _"); at != std::string::npos; at = split.find("\" & _", at + 1)) {
        EXPECT_EQ(static_cast<unsigned char>(split[at - 1]), 0xA9u) << "cut at byte " << at;
    }
    // With -chrw, the calls stay whole.
    const std::string calls = convertInForm(accents, formOf(LineEndConstant::None, "", true, true));
    EXPECT_EQ(formFault(calls, accents, formOf(LineEndConstant::None, "", true, true)), "");
    for (std::size_t at = calls.find(" & _\r\n"); at != std::string::npos; at = calls.find(" & _\r\n", at + 1)) {
        EXPECT_EQ(calls.compare(at - 12, 12, "ChrW(&H00E9)"), 0) << "cut at byte " << at;
    }
}

// Under -vba -chrw a call goes on the line while the columns left hold it
// and the string's end before it ("s = \"", the text, "\" & " and the call
// in 1,018 columns), and the line is cut before it one byte of text later;
// the same with each byte a call of its own.
TEST(OutputForm, VbaCutsBeforeTheCallThatNoLongerFits) {
    const OutputForm form = formOf(LineEndConstant::None, "", true, true);
    const std::vector<std::pair<std::string, std::string>> calls = {
        {"\xC3\xA9", "ChrW(&H00E9)"}, {"\xF0\x9F\x98\x80", "ChrW(&HD83D) & ChrW(&HDE00)"}};
    for (const auto& [character, call] : calls) {
        const std::size_t fits = 1018 - 5 - 4 - call.size();
        for (std::size_t length : {fits, fits + 1}) {
            const std::string input = std::string(length, 'x') + character;
            const std::string output = convertInForm(input, form);
            EXPECT_EQ(output == "s = \"" + std::string(length, 'x') + "\" & " + call + "\r\n", length == fits) << length;
            EXPECT_EQ(output.find("\" & _\r\n\t" + call) != std::string::npos, length != fits) << length;
            block_path_enabled = false;
            EXPECT_EQ(convertInForm(input, form), output) << length;
            block_path_enabled = true;
        }
    }
}

// Without options that change the layout, the form writer lays a text out
// as the plain rules do: -chrw on ASCII text (CR and NUL included), and a
// UTF-16 file of ASCII text without any option.
TEST(OutputForm, SameLayoutAsThePlainRulesOnAscii) {
    std::mt19937 random(7);
    const std::string alphabet = std::string("\"\n\r\0\x1a\t a", 9);
    for (int round = 0; round < 300; ++round) {
        std::string input;
        const std::size_t length = random() % 30;
        for (std::size_t i = 0; i < length; ++i) input += alphabet[random() % alphabet.size()];
        const std::string text = textModeDecode(input);
        EXPECT_EQ(convertInForm(input, kChrw), expectedOutput(text)) << escaped(input);
        std::string utf16 = "\xFF\xFE";
        for (char c : input) utf16 += std::string(1, c) + '\0';
        EXPECT_EQ(convertInForm(utf16, kPlain), expectedOutput(text)) << escaped(input);
    }
}

// Generated texts for every combination of the options: the value is the
// text with the chosen line ends, and -vba keeps the limits.
std::string randomText(std::mt19937& random) {
    static const std::vector<std::string> pieces = {
        "a", "bc", "\"", "\n", "\r\n", "\r", std::string(1, '\0'), "\x1a", "\xC3\xA9", "\xE2\x80\x9C",
        "\xF0\x9F\x98\x80", "\xFF", "\xC3", "\x80", "\xED\xA0\x80", "\t", " "};
    std::string text;
    const int shape = static_cast<int>(random() % 4);
    const std::size_t count = shape == 0 ? random() % 20 : shape == 1 ? random() % 400 : random() % 80;
    for (std::size_t i = 0; i < count; ++i) {
        if (shape == 3 && random() % 10 == 0) {
            text += std::string(random() % 3000, random() % 2 ? 'x' : '"');  // long lines
        } else if (shape == 1 && random() % 3 == 0) {
            text += "\n";  // many lines
        } else {
            text += pieces[random() % pieces.size()];
        }
    }
    return text;
}

std::vector<OutputForm> everyForm() {
    std::vector<OutputForm> forms;
    for (LineEndConstant lineEnd : {LineEndConstant::None, LineEndConstant::CrLf, LineEndConstant::Lf,
                                    LineEndConstant::Cr, LineEndConstant::NewLine}) {
        for (const char* variable : {"", "Text_1"}) {
            for (bool vba : {false, true}) {
                for (bool chrw : {false, true}) forms.push_back(formOf(lineEnd, variable, vba, chrw));
            }
        }
    }
    return forms;
}

TEST(OutputForm, PropertyEveryCombinationKeepsValueAndLimits) {
    std::mt19937 random(20261208);
    const std::vector<OutputForm> forms = everyForm();
    for (int round = 0; round < 60; ++round) {
        const std::string input = randomText(random);
        const std::string text = textModeDecode(input);
        for (const OutputForm& form : forms) {
            const std::string output = convertInForm(input, form);
            ASSERT_EQ(formFault(output, text, form), "") << "input " << escaped(input);
            if (form.chrw) {
                for (char c : output) ASSERT_LT(static_cast<unsigned char>(c), 0x80u) << escaped(output);
            }
        }
    }
}

// Every seed of the fuzz corpora, in every form, read as a file of the
// console (a mark taken) and as a memory of bytes (none looked at).
TEST(OutputForm, PropertyEveryCombinationOverTheFuzzCorpora) {
    const std::vector<OutputForm> forms = everyForm();
    int seeds = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TXT2VB_CORPUS_DIR)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string input((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ++seeds;
        for (const OutputForm& form : forms) {
            const std::string output = convertInForm(input, form, ByteOrderMark::Ignore);
            ASSERT_EQ(formFault(output, textModeDecode(input), form), "") << entry.path();
        }
    }
    EXPECT_GT(seeds, 40);
}

// The same texts as UTF-16 files, both byte orders, with and without
// options: always ASCII, always the text's value.
TEST(OutputForm, PropertyUtf16FilesAreReadAsText) {
    std::mt19937 random(16);
    for (int round = 0; round < 150; ++round) {
        std::string raw;
        const std::size_t units = random() % (round % 10 == 0 ? 40000 : 60);
        for (std::size_t i = 0; i < units; ++i) {
            static const unsigned kUnits[] = {'a', '"', '\n', '\r', 0, 0x1A, 0xE9, 0x201C, 0xD83D, 0xDE00, 0xDC00, 0xFFFF};
            unsigned u = kUnits[random() % (sizeof kUnits / sizeof kUnits[0])];
            raw += static_cast<char>(u & 0xFF);
            raw += static_cast<char>(u >> 8);
        }
        if (random() % 4 == 0) raw += 'Z';  // an odd last byte
        std::string swapped = raw;
        for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
        const OutputForm form = round % 2 ? kPlain : kAll;
        for (bool big : {false, true}) {
            const std::string input = (big ? std::string("\xFE\xFF") : std::string("\xFF\xFE")) + (big ? swapped : raw);
            const std::string text = textModeDecode(utf16AsUtf8(big ? swapped : raw, big));
            for (ByteOrderMark mark : {ByteOrderMark::Drop, ByteOrderMark::Keep}) {
                const std::string output = convertInForm(input, form, mark);
                ASSERT_EQ(formFault(output, text, form), "") << escaped(input.substr(0, 200));
                for (char c : output) ASSERT_LT(static_cast<unsigned char>(c), 0x80u);
            }
        }
    }
}

// Both ways through the engine give the same output in every form.
TEST(OutputForm, BlockPathAndPerByteStepsAgree) {
    std::mt19937 random(99);
    for (int round = 0; round < 40; ++round) {
        const std::string input = randomText(random);
        for (const OutputForm& form : {kNl, kAll, kChrw, kVba}) {
            block_path_enabled = false;
            const std::string perByte = convertInForm(input, form);
            block_path_enabled = true;
            EXPECT_EQ(convertInForm(input, form), perByte) << escaped(input);
        }
    }
}

// -chrw and a UTF-16 file make an ASCII output: a UTF-8 mark is not kept in
// front of it in replace mode.
TEST(OutputForm, AsciiOutputKeepsNoMark) {
    EXPECT_EQ(convertInForm("\xEF\xBB\xBF" "a", kPlain, ByteOrderMark::Keep), "\xEF\xBB\xBF\t= \"a\"\r\n");
    EXPECT_EQ(convertInForm("\xEF\xBB\xBF" "a", kChrw, ByteOrderMark::Keep), "\t= \"a\"\r\n");
    EXPECT_EQ(convertInForm(std::string("\xFF\xFE" "a\0", 4), kPlain, ByteOrderMark::Keep), "\t= \"a\"\r\n");
    // Inputs that are not standard input are not looked at for a mark.
    EXPECT_EQ(convertInForm(std::string("\xFF\xFE" "a\0", 4), kPlain, ByteOrderMark::Ignore),
              expectedOutput(std::string("\xFF\xFE" "a\0", 4)));
}

TEST(OutputOptions, IdentifiersAndConstants) {
    const std::vector<std::pair<std::string, bool>> names = {
        {"s", true}, {"Text_1", true}, {std::string(255, 'a'), true}, {std::string(256, 'a'), false},
        {"", false}, {"1a", false}, {"_a", false}, {"a.b", false}, {"\xC3\xA9", false}, {"a$", false}};
    for (const auto& [name, valid] : names) EXPECT_EQ(isVbIdentifier(name), valid) << name;
    LineEndConstant constant = LineEndConstant::None;
    EXPECT_TRUE(lineEndConstantNamed("VBNEWLINE", constant));
    EXPECT_EQ(constant, LineEndConstant::NewLine);
    EXPECT_STREQ(lineEndConstantName(constant), "vbNewLine");
    EXPECT_STREQ(lineEndConstantValue(constant), "\r\n");
    EXPECT_FALSE(lineEndConstantNamed("vbCrL", constant));
    EXPECT_FALSE(lineEndConstantNamed("vbCrLfx", constant));
}

// The checker finds the faults the property tests rely on it to find.
TEST(VbExpressionChecker, ReadsTheFormsAndMeasuresTheirShape) {
    std::string value, error;
    VbShape shape;
    ASSERT_TRUE(parseVbExpression(crlf("x = \"a\" & vbCrLf & ChrW(&HD83D) & ChrW(56832) _\n\t& Chr(&H41) & vbNewLine\n"
                                       "x = x & vbLf & vbNullChar & ChrW(&HDC00) & \"\"\"\"\n"),
                                  value, error, &shape))
        << error;
    EXPECT_EQ(value, std::string("a\r\n\xF0\x9F\x98\x80" "A\r\n\n\0\xED\xB0\x80\"", 16));
    EXPECT_EQ(shape.statements, 2);
    EXPECT_EQ(shape.maxContinuations, 1);
    EXPECT_EQ(shape.variable, "x");
    EXPECT_EQ(vbaRuleFault(shape), "");

    const std::vector<std::pair<const char*, std::string>> broken = {
        {"another variable goes on", "x = \"a\"\ny = y & \"b\"\n"},
        {"the variable not repeated", "x = \"a\"\nx = \"b\"\n"},
        {"a second statement after \\t=", "\t= \"a\"\nx = x & \"b\"\n"},
        {"ChrW beyond 65535", "\t= ChrW(65536)\n"},
        {"Chr beyond 255", "\t= Chr(&H100)\n"},
        {"ChrW without a number", "\t= ChrW()\n"},
        {"an unknown constant", "\t= vbTab\n"},
        {"operands without &", "\t= \"a\" vbCrLf\n"},
    };
    for (const auto& [name, text] : broken) {
        EXPECT_FALSE(parseVbExpression(crlf(text), value, error)) << name;
    }

    std::string longLine = "\t= \"" + std::string(1019, 'x') + "\"\n";
    ASSERT_TRUE(parseVbExpression(crlf(longLine), value, error, &shape));
    EXPECT_EQ(shape.maxLineLength, 1024u);
    EXPECT_NE(vbaRuleFault(shape), "");
    std::string lines = "\t= \"a\" _\n";
    for (int i = 0; i < 24; ++i) lines += "\t_\n";
    lines += "\t& \"b\"\n";
    ASSERT_TRUE(parseVbExpression(crlf(lines), value, error, &shape));
    EXPECT_EQ(shape.maxContinuations, 25);
    EXPECT_NE(vbaRuleFault(shape), "");
}

}  // namespace
