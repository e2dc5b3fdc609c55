// The way back from an expression to its text: hand-made expressions of
// every form, inputs that are no expression with the place they stop, and
// round trips through the conversion over random texts and the fuzz
// corpora.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "parser/decode_expression.h"
#include "support/convert.h"
#include "support/decode.h"
#include "support/text_model.h"

namespace {

using namespace std::string_literals;

std::string repeated(const std::string& piece, int times) {
    std::string out;
    while (times-- > 0) out += piece;
    return out;
}

struct Sample {
    const char* form;
    std::string expression;
    std::string text;
};

// Expressions as each form lays them out, with the text each gives back.
const std::vector<Sample> kSamples = {
    {"default", "\t= \"ab\" _\r\n\t& \"say \"\"hi\"\"\" _\r\n\t_\r\n\t& \"end\"\r\n", "ab\r\nsay \"hi\"\r\n\r\nend"},
    {"default, input ending with a line feed", "\t= \"a\" _\r\n\t& \"\"\r\n", "a\r\n"},
    {"default, empty input", "\t= \"\"\r\n", ""},
    {"default, only line feeds", "\t= \"\" _\r\n\t_\r\n\t& \"\"\r\n", "\r\n\r\n"},
    {"default, many empty lines", "\t= \"\" _\r\n" + repeated("\t_\r\n", 40) + "\t& \"\"\r\n", repeated("\r\n", 41)},
    {"-nl, an empty line after a constant", "\t= \"a\" & vbCrLf _\r\n\t_\r\n\t& \"b\"\r\n", "a\r\n\r\nb"},
    {"default, constants", "\t= \"a\" & vbCr & \"b\" & vbNullChar & \"\"\r\n", "a\rb\0"s},
    {"default, a line opening with a constant", "\t= \"\" _\r\n\t& vbCr & \"x\"\r\n", "\r\n\rx"},
    {"default, a CR before a line end", "\t= \"a\" & vbCr & \"\" _\r\n\t& \"b\"\r\n", "a\r\r\nb"},
    {"default, saved with LF line ends", "\t= \"a\" _\n\t& \"b\"\n", "a\r\nb"},
    {"default, no final line end", "\t= \"a\"", "a"},
    {"default, high bytes", "\t= \"caf\xc3\xa9 \xff\"\r\n", "caf\xc3\xa9 \xff"},
    {"-var", "s = \"a\" _\r\n\t& \"b\"\r\n", "a\r\nb"},
    {"-var, long name", "my_Text2 = \"x\"\r\n", "x"},
    {"-var, the longest name", std::string(255, 'n') + " = \"x\"\r\n", "x"},
    {"-nl", "\t= \"a\" & vbCrLf _\r\n\t& \"b\" & vbCrLf _\r\n\t& vbCrLf _\r\n\t& \"c\"\r\n", "a\r\nb\r\n\r\nc"},
    {"-nl, input ending with a line feed", "\t= \"a\" & vbCrLf\r\n", "a\r\n"},
    {"-nl, input ending with a line feed and an empty operand", "\t= \"a\" & vbCrLf _\r\n\t& \"\"\r\n", "a\r\n"},
    {"-nl:vbLf", "\t= \"a\" & vbLf _\r\n\t& \"b\"\r\n", "a\nb"},
    {"-nl:vbCr", "\t= \"a\" & vbCr _\r\n\t& \"b\"\r\n", "a\rb"},
    {"-nl:vbNewLine", "\t= \"a\" & vbNewLine _\r\n\t& vbNewLine _\r\n\t& \"b\"\r\n", "a\r\n\r\nb"},
    {"-nl:vbLf, a lone CR in a line", "\t= \"a\" & vbCr & \"b\" & vbLf\r\n", "a\rb\n"},
    {"-vba, statements", "s = \"l1\" _\r\n\t& \"l2\"\r\ns = s & \"l3\" _\r\n\t& \"\"\r\n", "l1\r\nl2\r\nl3\r\n"},
    {"-vba, empty line opening a statement", "s = \"l1\"\r\ns = s & \"\" _\r\n\t& \"l3\"\r\n", "l1\r\n\r\nl3"},
    {"-vba, a long line split", "s = \"aaa\" & _\r\n\t\"bbb\" & _\r\n\t\"ccc\" _\r\n\t& \"d\"\r\n", "aaabbbccc\r\nd"},
    {"-vba, a long line across statements", "s = \"aaa\"\r\ns = s & _\r\n\t\"bbb\"\r\n", "aaabbb"},
    {"-vba -nl", "s = \"a\" & vbCrLf\r\ns = s & \"b\" & _\r\n\t\"c\" & vbCrLf _\r\n\t& \"d\"\r\n", "a\r\nbc\r\nd"},
    {"-chrw", "\t= \"caf\" & ChrW(&HE9) & \" \" & Chr(&HFF) _\r\n\t& ChrW(&H201C) & \"q\"\r\n",
     "caf\xc3\xa9 \xff\r\n\xe2\x80\x9cq"},
    {"-chrw, a surrogate pair", "\t= ChrW(&HD83D) & ChrW(&HDE00)\r\n", "\xf0\x9f\x98\x80"},
    {"-chrw, a surrogate pair across a split", "s = ChrW(&HD83D) & _\r\n\tChrW(&HDE00)\r\n", "\xf0\x9f\x98\x80"},
    {"-chrw, a surrogate pair around an empty literal", "\t= ChrW(&HD83D) & \"\" & ChrW(&HDE00)\r\n",
     "\xf0\x9f\x98\x80"},
    {"-chrw, surrogates alone", "\t= ChrW(&HD800) & \"x\" & ChrW(&HDC00)\r\n", "\xed\xa0\x80x\xed\xb0\x80"},
    {"-chrw, two high surrogates", "\t= ChrW(&HD800) & ChrW(&HD83D) & ChrW(&HDE00)\r\n",
     "\xed\xa0\x80\xf0\x9f\x98\x80"},
    {"-chrw, NUL and the largest", "\t= ChrW(&H0) & ChrW(&HFFFF) & Chr(&H0)\r\n", "\0\xef\xbf\xbf\0"s},
    {"-chrw, decimal numbers", "\t= ChrW(233) & Chr(65) & ChrW(65535)\r\n", "\xc3\xa9" "A\xef\xbf\xbf"},
    {"UTF-16 input", "\t= \"ab\" & ChrW(&H20AC) _\r\n\t& \"\"\r\n", "ab\xe2\x82\xac\r\n"},
    {"names and constants in any case", "S = \"a\" & VBCRLF\r\ns = S & CHRW(&he9) & chr(&h41)\r\n",
     "a\r\n\xc3\xa9" "A"},
    {"blanks around the operators", "\t=\"a\"&vbCr&\"b\"  _ \r\n\t&  \"c\"\t\r\n", "a\rb\r\nc"},
    {"an underscore at a line start", "\t= \"a\" _\r\n_\r\n& \"b\"\r\n", "a\r\n\r\nb"},
};

TEST(DecodeExpression, EveryFormGivesItsText) {
    for (const Sample& sample : kSamples) {
        std::string text;
        DecodeStop stop;
        EXPECT_TRUE(decodeExpression(sample.expression, text, stop))
            << sample.form << ": stops at " << stop.line << ":" << stop.column;
        EXPECT_EQ(escaped(text), escaped(sample.text)) << sample.form;
    }
}

struct NotAnExpression {
    const char* what;
    std::string input;
    std::size_t line;
    std::size_t column;
};

const std::vector<NotAnExpression> kNotExpressions = {
    {"empty file", "", 1, 1},
    {"binary bytes", "\x01\x02", 1, 1},
    {"no equals sign", "\t\"a\"\r\n", 1, 2},
    {"literal not closed", "\t= \"a\r\n", 1, 6},
    {"no & after a continued line", "\t= \"a\" _\r\n\t\"b\"\r\n", 2, 2},
    {"a blank line after the expression", "\t= \"a\"\r\n\r\n", 2, 1},
    {"text after the expression", "\t= \"a\"\r\nhello\r\n", 2, 1},
    {"operator with no operand", "\t= \"a\" &\r\n", 1, 9},
    {"unknown constant", "\t= vbTab\r\n", 1, 4},
    {"ChrW beyond &HFFFF", "\t= ChrW(&H10000)\r\n", 1, 15},
    {"Chr beyond 255", "\t= Chr(256)\r\n", 1, 10},
    {"ChrW without a number", "\t= ChrW(&H)\r\n", 1, 9},
    {"ChrW not closed", "\t= ChrW(65\r\n", 1, 11},
    {"another variable", "s = \"a\"\r\nt = t & \"b\"\r\n", 2, 1},
    {"a statement that does not go on with its variable", "s = \"a\"\r\ns = t & \"b\"\r\n", 2, 5},
    {"statements after a bare prologue", "\t= \"a\"\r\ns = s & \"b\"\r\n", 2, 1},
    {"continuation then the end", "\t= \"a\" _\r\n", 2, 1},
    {"NUL inside a literal", "\t= \"a\0b\"\r\n"s, 1, 6},
    {"lone CR", "\t= \"a\"\rb", 1, 7},
    {"underscore glued to the literal", "\t= \"a\"_\r\n", 1, 7},
    {"two operands without &", "\t= \"a\" \"b\"\r\n", 1, 8},
    {"a literal where no operand may stand, not closed", "\t= \"a\" \"b\r\n", 1, 8},
    {"a call where no operand may stand", "\t= \"a\" ChrW(&H10000)\r\n", 1, 8},
    {"a name longer than 255 characters", std::string(256, 'n') + " = \"a\"\r\n", 1, 1},
    {"a doubled quote, then no closing one", "\t= \"a\"\"\r\n", 1, 8},
    {"a 0x1A where the expression may end", "\t= \"a\"\x1a", 1, 7},
    {"CR CR LF", "\t= \"a\" _\r\r\n\t& \"b\"\r\n", 1, 8},
};

TEST(DecodeExpression, StopsWhereTheInputStopsBeingAnExpression) {
    for (const NotAnExpression& bad : kNotExpressions) {
        std::string text;
        DecodeStop stop;
        EXPECT_FALSE(decodeExpression(bad.input, text, stop)) << bad.what;
        EXPECT_EQ(stop.line, bad.line) << bad.what;
        EXPECT_EQ(stop.column, bad.column) << bad.what;
    }
}

// Read a few bytes at a time, every token, call, constant, doubled quote
// and CR LF pair of the tables is cut between two reads somewhere, each
// piece a run of the input stream (a CR last in one read comes alone): the
// result, the text and the stop are those of the whole input read at once.
TEST(DecodeStream, ReadInPiecesAsWhole) {
    std::vector<std::string> inputs = {"\t= \"a\" _\r\r\n\t& \"b\"\r\r\n", "\t= \"a\"\r\n\x1a\x01"};
    for (const Sample& sample : kSamples) inputs.push_back(sample.expression);
    for (const NotAnExpression& bad : kNotExpressions) inputs.push_back(bad.input);
    for (const std::string& input : inputs) {
        std::string whole;
        DecodeStop wholeStop;
        PieceSource all(input, input.size() + 1);
        const DecodeResult result = decodeSource(all, whole, wholeStop);
        for (std::size_t readSize = 1; readSize <= 8; ++readSize) {
            std::string text;
            DecodeStop stop;
            PieceSource source(input, readSize);
            ASSERT_EQ(decodeSource(source, text, stop), result) << escaped(input) << ", reads of " << readSize;
            EXPECT_EQ(escaped(text), escaped(whole)) << escaped(input) << ", reads of " << readSize;
            if (result == DecodeResult::Decoded) continue;
            EXPECT_EQ(stop.line, wholeStop.line) << escaped(input) << ", reads of " << readSize;
            EXPECT_EQ(stop.column, wholeStop.column) << escaped(input) << ", reads of " << readSize;
        }
    }
}

// What can never go on with an expression, without end after it, is
// refused within the first block the input stream reads; a read error is
// told apart.
TEST(DecodeStream, StopsWithoutReadingOn) {
    constexpr std::size_t kBlock = 1 << 16;  // the input stream's block
    struct Case {
        const char* what;
        std::string start;
        std::string tail;
        DecodeResult result;
        std::size_t line;
        std::size_t column;
    };
    const std::vector<Case> cases = {
        {"zeros", "", "\0"s, DecodeResult::NotExpression, 1, 1},
        {"text after the expression", "\t= \"a\" _\r\n\t& \"b\"\r\n", "hello\r\n", DecodeResult::NotExpression, 3, 1},
        {"binary bytes after a line", "\t= \"a\" _\r\n", "\x01\xff", DecodeResult::NotExpression, 2, 1},
        {"a literal where no operand may stand", "\t= \"a\" \"", "x", DecodeResult::NotExpression, 1, 8},
        {"a name without end", "", "n", DecodeResult::NotExpression, 1, 1},
        {"a read error", "\t= \"a\" _\r\n", "", DecodeResult::ReadFailed, 0, 0},
    };
    for (const Case& c : cases) {
        std::string text;
        DecodeStop stop;
        PieceSource source(c.start, kBlock, c.tail, true);
        EXPECT_EQ(decodeSource(source, text, stop), c.result) << c.what;
        EXPECT_LE(source.handedOut(), c.start.size() + kBlock) << c.what;
        if (c.result != DecodeResult::NotExpression) continue;
        EXPECT_EQ(stop.line, c.line) << c.what;
        EXPECT_EQ(stop.column, c.column) << c.what;
    }
}

// --- round trips: decode(convert(T)) is T as read, with its line ends as
// the form records them, and converting that gives the same expression ---

struct Form {
    std::string name;
    std::function<std::string(const std::string&)> convert;
    // The text decoding gives for the text the text-mode input delivered.
    std::function<std::string(const std::string&)> decodedText;
};

// Every form the conversion writes: the default one and every combination
// of -nl (each constant), -var, -vba and -chrw. Without -nl no line end is
// recorded, so every line of the text comes back ended by CR LF; with it,
// each line end comes back as its constant's bytes.
std::vector<Form> everyForm() {
    std::vector<Form> forms = {{"default", [](const std::string& text) { return convertStream(text); }, crlf}};
    for (LineEndConstant lineEnd : {LineEndConstant::None, LineEndConstant::CrLf, LineEndConstant::Lf,
                                    LineEndConstant::Cr, LineEndConstant::NewLine}) {
        for (const char* variable : {"", "Page_1"}) {
            for (bool vba : {false, true}) {
                for (bool chrw : {false, true}) {
                    OutputForm form;
                    form.lineEnd = lineEnd;
                    form.variable = variable;
                    form.vba = vba;
                    form.chrw = chrw;
                    if (form.isDefault()) continue;
                    std::string name = std::string("-nl:") + lineEndConstantName(lineEnd) + " -var:" + variable +
                                       (vba ? " -vba" : "") + (chrw ? " -chrw" : "");
                    // These forms are converted as the console converts:
                    // a UTF-8 mark in front is not text.
                    auto decoded = [lineEnd](const std::string& read) {
                        const std::string mark = "\xEF\xBB\xBF";
                        const std::string text = read.compare(0, 3, mark) == 0 ? read.substr(3) : read;
                        if (lineEnd == LineEndConstant::None) return crlf(text);
                        std::string out;
                        for (char c : text) {
                            if (c == '\n') {
                                out += lineEndConstantValue(lineEnd);
                            } else {
                                out += c;
                            }
                        }
                        return out;
                    };
                    forms.push_back({name, [form](const std::string& raw) { return convertInForm(raw, form); },
                                     decoded});
                }
            }
        }
    }
    return forms;
}
const std::vector<Form> kForms = everyForm();

std::string randomText(std::mt19937& random, std::size_t length) {
    static const std::string common("abc xyz\t\"\n\n\r\r\n\xff\x80&_", 17);
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        unsigned pick = random() % 100;
        if (pick < 85) {
            text += common[random() % common.size()];
        } else if (pick < 88) {
            text += '\0';
        } else if (pick == 88) {
            text += '\x1a';  // ends the text as read
        } else {
            text += static_cast<char>(random() % 256);
        }
    }
    return text;
}

std::vector<std::string> corpusTexts() {
    namespace fs = std::filesystem;
    const fs::path corpora = fs::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz" / "corpus";
    std::vector<std::string> texts;
    for (const auto& entry : fs::recursive_directory_iterator(corpora)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream file(entry.path(), std::ios::binary);
        texts.emplace_back((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    }
    return texts;
}

void expectRoundTrip(const Form& form, const std::string& raw) {
    const std::string expression = form.convert(raw);
    std::string text;
    DecodeStop stop;
    ASSERT_TRUE(decodeAsFile(expression, text, stop))
        << form.name << ": stops at " << stop.line << ":" << stop.column << " of " << escaped(expression);
    ASSERT_EQ(escaped(text), escaped(form.decodedText(textModeDecode(raw)))) << form.name << " of " << escaped(raw);
    // Text mode reads a CR before a line end as part of a CR LF pair: where
    // the form writes both as CR (vbCr) or a line end as LF (vbLf), a text
    // whose CR meets a line end is given back in bytes that read as
    // another text.
    const bool crMeetsLineEnd = form.name.find("-nl:vbCr ") != std::string::npos ||
                                (form.name.find("-nl:vbLf ") != std::string::npos &&
                                 text.find("\r\n") != std::string::npos);
    if (crMeetsLineEnd && text.find('\r') != std::string::npos) return;
    ASSERT_EQ(escaped(form.convert(text)), escaped(expression)) << form.name << " of " << escaped(raw);
}

TEST(DecodeExpression, RoundTripsOverRandomTexts) {
    std::mt19937 random(2020);
    for (const Form& form : kForms) {
        for (int i = 0; i < 400; ++i) expectRoundTrip(form, randomText(random, random() % (i < 300 ? 40 : 3000)));
        expectRoundTrip(form, randomText(random, 200000));
    }
}

TEST(DecodeExpression, RoundTripsOverTheFuzzCorpora) {
    const std::vector<std::string> texts = corpusTexts();
    ASSERT_GT(texts.size(), 20u);
    for (const Form& form : kForms)
        for (const std::string& raw : texts) expectRoundTrip(form, raw);
}

// Read as the tool reads each file: a byte-order mark in front is kept or
// dropped as asked, a 0x1A ends the expression, CR LF and LF both end a
// line, and a failure writes nothing.
TEST(DecodeInput, ReadsLikeAFile) {
    const std::string mark = "\xef\xbb\xbf";
    struct Case {
        const char* what;
        std::string input;
        ByteOrderMark handling;
        bool decodes;
        std::string text;
    };
    const std::string utf16 = "\xff\xfe\t\0=\0 \0\"\0\xe9\0\"\0\r\0\n\0"s;  // TAB = "é" CR LF, UTF-16LE
    const std::vector<Case> cases = {
        {"UTF-16", utf16, ByteOrderMark::Drop, true, "\xc3\xa9"},
        {"UTF-16 not looked at", utf16, ByteOrderMark::Ignore, false, ""},
        {"mark kept", mark + "\t= \"a\"\r\n", ByteOrderMark::Keep, true, mark + "a"},
        {"mark dropped", mark + "\t= \"a\"\r\n", ByteOrderMark::Drop, true, "a"},
        {"mark not looked at", mark + "\t= \"a\"\r\n", ByteOrderMark::Ignore, false, ""},
        {"0x1A ends the expression", "\t= \"a\" _\r\n\t& \"b\"\r\n\x1a garbage", ByteOrderMark::Drop, true, "a\r\nb"},
        {"mixed line ends", "\t= \"a\" _\n\t& \"b\" _\r\n\t& \"\"\r\n", ByteOrderMark::Drop, true, "a\r\nb\r\n"},
        {"CR CR LF read as CR LF", "\t= \"a\" _\r\r\n\t& \"b\"\r\r\n", ByteOrderMark::Drop, true, "a\r\nb"},
        {"a lone CR", "\t= \"a\" _\r\r\r\n\t& \"b\"\r\n", ByteOrderMark::Drop, false, ""},
        {"failure writes nothing", "\t= \"a\" _\r\n\t& \"b\r\n", ByteOrderMark::Drop, false, ""},
    };
    for (const Case& c : cases) {
        std::string text;
        DecodeStop stop;
        EXPECT_EQ(decodeAsFile(c.input, text, stop, c.handling), c.decodes) << c.what;
        EXPECT_EQ(escaped(text), escaped(c.text)) << c.what;
    }
}

}  // namespace
