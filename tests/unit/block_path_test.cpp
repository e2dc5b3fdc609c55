// The block path against the per-byte steps: every input is converted once
// with the block path and once with it switched off, and the output bytes,
// noLng, curLine, the line history and the marks must agree. The inputs
// are the fuzz corpora and generated texts: every byte class, CR LF pairs,
// lone CRs, 0x1A and NUL bytes at every position around the input
// stream's block boundaries, lines longer than curLine holds, marks that
// dump the history, and files converted one after another; and, in the
// output forms, UTF-8 sequences, doubled quotes and line ends at block
// boundaries and at the columns where -vba cuts a line.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "support/convert.h"
#include "support/scan_observation.h"
#include "scanner/block_path.h"
#include "parser/convert_input.h"

namespace {

constexpr std::size_t kBlock = 1 << 16;  // the input stream's read size

struct Input {
    std::string name;
    std::string raw;
    HistorySetup setup;
    OutputForm form = OutputForm();
};

// The forms whose writer takes runs its own way: -vba cuts lines at bytes
// that may begin a UTF-8 sequence, -chrw decodes them, -nl and -var lengthen
// every line's ends.
const OutputForm kVba = formOf(LineEndConstant::None, "", true, false);
const OutputForm kEveryOption = formOf(LineEndConstant::CrLf, "Text_1", true, true);

// The inputs again, in `form`.
std::vector<Input> inForm(std::vector<Input> inputs, const OutputForm& form, const std::string& name) {
    for (Input& input : inputs) {
        input.name += " in " + name;
        input.form = form;
    }
    return inputs;
}

// Text of `length` bytes in lines of `lineLength` (0: one line).
std::string filler(std::size_t length, std::size_t lineLength) {
    std::string text;
    text.reserve(length);
    while (text.size() < length) {
        char c = static_cast<char>('a' + text.size() % 23);
        if (lineLength != 0 && text.size() % lineLength == lineLength - 1) c = '\n';
        if (text.size() % 37 == 5) c = '"';
        text += c;
    }
    return text;
}

// Random bytes, most of them text, all classes and both text-mode bytes
// among them; 0x1A only when asked, since it ends the input.
std::string randomText(std::mt19937& random, std::size_t length, bool withCtrlZ) {
    static const std::string common("abc xyz\t\"\n\n\r\r\n\xff\x80", 15);
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        unsigned pick = random() % 100;
        if (pick < 80) {
            text += common[random() % common.size()];
        } else if (pick < 83) {
            text += '\0';
        } else if (pick == 83 && withCtrlZ) {
            text += '\x1a';
        } else {
            text += static_cast<char>(random() % 256 == 0x1A && !withCtrlZ ? 'z' : random() % 256);
        }
    }
    if (!withCtrlZ)
        for (char& c : text)
            if (c == '\x1a') c = 'z';
    return text;
}

// A CR waiting for its partner makes the second read one byte shorter,
// so the second boundary lies at 2 x kBlock or one before it.
const std::vector<std::size_t> kBoundaries = {kBlock, 2 * kBlock - 1, 2 * kBlock};

std::vector<Input> boundaryInputs(const std::vector<std::size_t>& boundaries) {
    const std::vector<std::pair<const char*, std::string>> pieces = {
        {"CR LF", "\r\n"},          {"CR CR LF", "\r\r\n"},   {"lone CR", "\rz"},
        {"CR at the end", "\r"},    {"Ctrl-Z", "\x1a" "after"}, {"NUL", std::string("\0z", 2)},
        {"two NULs", std::string("\0\0", 2)}, {"quote", "\"\""}, {"line feeds", "\n\n\n"},
        {"CR LF pairs", "\r\n\r\n"},
        {"CR before Ctrl-Z", "\r\x1a" "after"},
        {"nine empty CR LF lines", "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"},
        {"mixed line ends", "\n\r\n\n\r\n\r\n\r\n\r\n\n\n\r\r\n"},
        {"two-byte character", "\xC3\xA9"}, {"three-byte character", "\xE4\xB8\xAD"},
        {"four-byte character", "\xF0\x9F\x98\x80"}, {"unfinished sequence", "\xE2\x82z"},
        {"characters in a row", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"700 empty lines", std::string(700, '\n')},
    };
    std::vector<Input> inputs;
    for (std::size_t boundary : boundaries) {
        for (std::size_t offset = 0; offset < 5; ++offset) {
            const std::size_t at = boundary - 2 + offset;
            for (std::size_t lineLength : {std::size_t{80}, std::size_t{0}}) {
                // A CR LF pair just before makes the second read shorter.
                std::string head = filler(at, lineLength);
                if (boundary == 2 * kBlock - 1 && at > 100) head.replace(kBlock - 1, 2, "\r\n");
                for (const auto& piece : pieces) {
                    inputs.push_back({std::string(piece.first) + " at " + std::to_string(at) +
                                          (lineLength ? " in short lines" : " in one long line"),
                                      head + piece.second + "tail\n", {}});
                }
            }
        }
    }
    return inputs;
}

// A long line with a piece at the block boundary, at each of `columns` of
// the line: where -vba cuts the line falls among them.
// 801 lines come before it, so that it is the second line of a statement
// under -vba and begins as every continued line does.
std::vector<Input> cutInputs(const std::vector<std::size_t>& columns) {
    const std::vector<std::pair<const char*, std::string>> pieces = {
        {"a quote", "\"\""}, {"a two-byte character", "\xC3\xA9"}, {"a three-byte character", "\xE4\xB8\xAD"},
        {"a four-byte character", "\xF0\x9F\x98\x80"}, {"an unfinished sequence", "\xE2\x82"},
        {"a CR LF pair", "\r\n"}, {"a lone CR", "\r"}};
    const std::string lines = filler(800 * 80, 80);
    std::vector<Input> inputs;
    for (std::size_t column : columns) {
        const std::string head =
            lines + std::string(kBlock - column - 1 - lines.size(), 'b') + "\n" + std::string(column, 'x');
        for (const auto& piece : pieces) {
            inputs.push_back({std::string(piece.first) + " at column " + std::to_string(column) + " and the block's end",
                              head + piece.second + "tail\n", {}});
        }
    }
    return inputs;
}

// Under -chrw a run of text is written a piece at a time by a loop that
// reads the bytes of a piece at least 20 bytes from the run's end where
// they are, and the last ones from a copy padded with 0xFF; it writes a
// chunk of at most 504 bytes of input before it looks at the room left.
// Each piece at each distance from the run's end (a quote, a line feed, a
// CR LF pair or the end of the text), after a line of text outside ASCII;
// and lines of such text a little longer each time, so that a chunk's end
// and a -vba cut fall on every byte of the characters.
std::vector<Input> runLoopInputs() {
    const std::string mixed = "ab\xC3\xA9" "c\xE4\xB8\xAD" "d\xF0\x9F\x98\x80" "efghijklmnopqrst\xE2\x82\xAC";
    const std::vector<std::pair<const char*, std::string>> pieces = {
        {"a two-byte character", "\xC3\xA9"}, {"a three-byte character", "\xE4\xB8\xAD"},
        {"a four-byte character", "\xF0\x9F\x98\x80"}, {"a byte 0xFF", "\xFF"},
        {"an unfinished sequence", "\xF0\x9F\x98"}, {"a surrogate half", "\xED\xA0\x80"},
        {"an ASCII run of 17", "ABCDEFGHIJKLMNOPQ"}};
    const std::vector<std::pair<const char*, std::string>> ends = {
        {"a quote", "\""}, {"a line feed", "\n"}, {"a CR LF pair", "\r\n"}, {"the text's end", ""}};
    std::vector<Input> inputs;
    for (const auto& piece : pieces) {
        for (std::size_t distance = 0; distance <= 24; ++distance) {
            for (const auto& end : ends) {
                inputs.push_back({std::string(piece.first) + " " + std::to_string(distance) + " bytes before " + end.first,
                                  mixed + mixed + piece.second + mixed.substr(0, distance) + end.second + "x\n", {}});
            }
        }
    }
    std::string line;
    for (std::size_t length = 0; length < 12000; length += 251) {
        line = std::string(length % 41, 'z');
        while (line.size() < length) line += mixed;
        inputs.push_back({"a line of " + std::to_string(length) + " bytes outside ASCII and in", line + "\n" + line, {}});
    }
    return inputs;
}

std::vector<Input> longLineInputs() {
    std::vector<Input> inputs;
    for (std::size_t length : {4998, 4999, 5000, 5001, 6000, 70000, 140000}) {
        const std::string line = filler(length, 0);
        const std::string name = "a line of " + std::to_string(length);
        inputs.push_back({name, line + "\nnext\n", {}});
        inputs.push_back({name + " without a line feed", line, {}});
        inputs.push_back({name + " in CR LF", line + "\r\n\r\nx", {}});
        std::string withNul = line;
        withNul.insert(4998, std::string("\0\r", 2));
        inputs.push_back({name + " with a NUL and a CR near the cut", withNul + "\n", {}});
    }
    return inputs;
}

// The text with each line feed as CR LF; with `mixed`, every third line
// end stays a line feed alone.
std::string withCrLf(const std::string& text, bool mixed) {
    std::string out;
    int lineEnds = 0;
    for (char c : text) {
        if (c == '\n' && !(mixed && ++lineEnds % 3 == 0)) out += '\r';
        out += c;
    }
    return out;
}

std::vector<Input> markInputs(std::mt19937& random) {
    // Lines of 0 to 12 bytes with runs of empty lines among them.
    std::string text;
    for (int line = 0; line < 400; ++line) {
        std::size_t length = random() % 3 == 0 ? 0 : random() % 13;
        text += filler(length, 0) + "\n";
        if (line % 50 == 7) text += std::string(random() % 40, '\n');
    }
    std::vector<Input> inputs;
    const std::vector<std::vector<std::int64_t>> markSets = {
        {1}, {8}, {20}, {5, 6, 30, 31, 200}, {100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110}};
    for (int nbl : {1, 2, 3, 15, 40}) {
        for (const auto& marks : markSets) {
            inputs.push_back({"nbl " + std::to_string(nbl) + ", " + std::to_string(marks.size()) + " marks from line " +
                                  std::to_string(marks[0]),
                              text, {nbl, 0, marks}});
        }
    }
    inputs.push_back({"nbf 1 with marks", text, {15, 1, {10, 40}}});
    inputs.push_back({"nbf 39 with marks", text, {40, 39, {10, 200}}});
    std::vector<std::int64_t> many;
    for (std::int64_t line = 3; line < 400; line += 9) many.push_back(line);
    inputs.push_back({"more than 30 marks", text, {15, 0, many}});
    // CR LF line ends, alone and mixed with line feeds: runs of empty lines
    // made of pairs, with and without a mark among them.
    for (bool mixed : {false, true}) {
        const std::string name = mixed ? "mixed line ends" : "CR LF";
        inputs.push_back({name + ", no mark", withCrLf(text, mixed), {15, 0, {}}});
        inputs.push_back({name + ", marks", withCrLf(text, mixed), {15, 0, {5, 6, 30, 31, 200}}});
        inputs.push_back({name + ", more than 30 marks", withCrLf(text, mixed), {3, 0, many}});
    }
    return inputs;
}

std::vector<Input> randomInputs(std::mt19937& random) {
    std::vector<Input> inputs;
    for (int i = 0; i < 150; ++i) {
        std::size_t length = random() % 2000;
        inputs.push_back({"random text " + std::to_string(i), randomText(random, length, i % 10 == 9), {}});
    }
    for (int i = 0; i < 4; ++i) {
        inputs.push_back({"random text across blocks " + std::to_string(i), randomText(random, 3 * kBlock + 123, false),
                          {3, 0, {7, 70}}});
    }
    // Lines of text with CR LF ends (some with line feeds alone), runs of
    // empty lines among them, across several blocks.
    for (bool mixed : {false, true}) {
        std::string text;
        while (text.size() < 3 * kBlock + 321) {
            text += filler(random() % 121, 0);
            text += std::string(random() % 4 == 0 ? 1 + random() % 12 : 1, '\n');
        }
        inputs.push_back({std::string(mixed ? "mixed" : "CR LF") + " lines across blocks", withCrLf(text, mixed),
                          {3, 0, {7, 70}}});
    }
    return inputs;
}

// Every seed of every fuzz target, as it stands and behind a filler that
// puts it across the first block boundary.
std::vector<Input> corpusInputs() {
    namespace fs = std::filesystem;
    const fs::path corpora = fs::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz" / "corpus";
    std::vector<Input> inputs;
    for (const auto& entry : fs::recursive_directory_iterator(corpora)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream file(entry.path(), std::ios::binary);
        std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const std::string name = entry.path().parent_path().filename().string() + "/" + entry.path().filename().string();
        inputs.push_back({name, raw, {}});
        inputs.push_back({name + " across a block boundary", filler(kBlock - 3, 80) + raw, {}});
    }
    return inputs;
}

struct Totals {
    std::uint64_t taken = 0;
    std::uint64_t bytes = 0;
};

// Converts the inputs one after another, as the tool converts files, once
// with the block path and once without, and compares after each.
void expectSame(const std::vector<Input>& inputs, Totals& totals) {
    ASSERT_FALSE(inputs.empty());
    for (bool blockPathFirst : {true, false}) {
        std::vector<ScanObservation> blocks, perByte;
        resetScanState();
        for (const Input& input : inputs) blocks.push_back(observeConversion(input.raw, input.setup, true, input.form));
        resetScanState();
        for (const Input& input : inputs) perByte.push_back(observeConversion(input.raw, input.setup, false, input.form));
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            EXPECT_EQ(differenceBetween(blocks[i], perByte[i]), "") << inputs[i].name;
            EXPECT_EQ(perByte[i].blockBytes, 0u) << inputs[i].name;
            if (blockPathFirst) {
                totals.taken += blocks[i].blockBytes;
                totals.bytes += inputs[i].raw.size();
            }
        }
        if (!blockPathFirst) break;
    }
}

// The switch really changes the path: with it on, most bytes go by runs.
void expectMostBytesByRuns(const Totals& totals) {
    EXPECT_GT(totals.taken, totals.bytes / 2) << totals.taken << " of " << totals.bytes << " bytes by runs";
}

TEST(BlockPath, SameAsPerByteAroundBlockBoundaries) {
    Totals totals;
    expectSame(boundaryInputs(kBoundaries), totals);
    expectMostBytesByRuns(totals);
}

TEST(BlockPath, SameAsPerByteInTheFormsAroundABlockBoundary) {
    const std::vector<Input> inputs = boundaryInputs({kBlock});
    Totals totals;
    expectSame(inForm(inputs, kVba, "-vba"), totals);
    expectSame(inForm(inputs, kEveryOption, "every option"), totals);
    expectMostBytesByRuns(totals);
}

// Under -vba a line holds 1,014 bytes of text after its "\t& \"", the last
// three not the start of a UTF-8 sequence; with -nl's constant 1,007, and
// under -chrw a call of two halves, one ChrW or one Chr fits before column
// 977, 992 or 995.
TEST(BlockPath, SameAsPerByteWhereVbaCutsAtABlockBoundary) {
    const std::vector<std::pair<OutputForm, std::vector<Input>>> sweeps = {
        {kVba, inForm(cutInputs({1000, 1010, 1011, 1012, 1013, 1014, 1015, 1020}), kVba, "-vba")},
        {kEveryOption, inForm(cutInputs({975, 976, 977, 991, 992, 993, 994, 995, 1003, 1004, 1005, 1006, 1007, 1008, 1020}),
                              kEveryOption, "every option")}};
    Totals totals;
    for (const auto& [form, inputs] : sweeps) {
        expectSame(inputs, totals);
        // The sweep reaches the cut: the first line is whole, the last cut.
        resetScanState();
        EXPECT_EQ(observeConversion(inputs.front().raw, {}, true, form).output.find(" & _\r\n"), std::string::npos);
        EXPECT_NE(observeConversion(inputs.back().raw, {}, true, form).output.find(" & _\r\n"), std::string::npos);
    }
    expectMostBytesByRuns(totals);
}

TEST(BlockPath, SameAsPerByteAtTheEdgesOfTheRunLoop) {
    const std::vector<Input> inputs = runLoopInputs();
    Totals totals;
    expectSame(inForm(inputs, formOf(LineEndConstant::None, "", false, true), "-chrw"), totals);
    expectSame(inForm(inputs, kEveryOption, "every option"), totals);
    expectMostBytesByRuns(totals);
}

TEST(BlockPath, SameAsPerByteOnLongLines) {
    Totals totals;
    expectSame(longLineInputs(), totals);
    expectSame(inForm(longLineInputs(), kEveryOption, "every option"), totals);
    expectMostBytesByRuns(totals);
}

TEST(BlockPath, SameAsPerByteWithMarksAndDumps) {
    std::mt19937 random(1212);
    const std::vector<Input> inputs = markInputs(random);
    Totals totals;
    expectSame(inputs, totals);
    expectMostBytesByRuns(totals);
    // The marks do dump the history into the output.
    resetScanState();
    const ScanObservation seen = observeConversion(inputs[0].raw, {15, 0, {20}}, true);
    EXPECT_NE(seen.output.find("0020: "), std::string::npos);
    EXPECT_NE(seen.output.find("\r\n----------------------------------------------------------\r\n"), std::string::npos);
}

TEST(BlockPath, SameAsPerByteOnRandomText) {
    std::mt19937 random(777);
    Totals totals;
    expectSame(randomInputs(random), totals);
    expectMostBytesByRuns(totals);
}

TEST(BlockPath, SameAsPerByteOnTheFuzzCorpora) {
    Totals totals;
    expectSame(corpusInputs(), totals);
    expectMostBytesByRuns(totals);
}

}  // namespace
