// The ring of recent lines and the marks that dump it as numbered lines on
// standard output.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/text_output.h"
#include "scanner/line_history.h"
#include "scanner/line_state.h"
#include "support/capture.h"

namespace {

const std::string kSeparator = "----------------------------------------------------------\r\n";

// One dumped line as it reaches the file: LF written as CR LF.
std::string dumped(const char* number, const std::string& text) { return std::string(number) + ": " + text + "\r\n"; }

std::string lineText(std::int64_t number) { return "line " + std::to_string(number); }

// The dump of lines first..last with the texts of lineText.
std::string block(std::int64_t first, std::int64_t last) {
    std::string out;
    char number[32];
    for (std::int64_t n = first; n <= last; ++n) {
        std::snprintf(number, sizeof number, "%04lld", static_cast<long long>(n));
        out += dumped(number, lineText(n));
    }
    return out + kSeparator;
}

class LineHistoryTest : public testing::Test {
protected:
    void SetUp() override { start(kDefaultHistoryLines, kDefaultHistoryLines / 2); }
    void TearDown() override {
        releaseLineHistory();
        nbl = kDefaultHistoryLines;
        nbf = kDefaultHistoryLines / 2;
        noLng = 1;
    }

    // A fresh history as the per-file set-up makes it.
    static void start(int lines, int distance) {
        nbl = lines;
        nbf = distance;
        noLng = 1;
        ASSERT_TRUE(resetLineHistory());
    }

    // Reads line `number` as the refill does: the line is current while
    // it is read (marks set now name it), then its line feed records it.
    // Returns what the recording printed.
    static std::string readLine(std::int64_t number, bool mark = false) {
        noLng = number;
        if (mark) addMark();
        std::string out = captureStdout([&] { recordLine(number, lineText(number).c_str()); });
        noLng = number + 1;
        return out;
    }

    static std::vector<std::int64_t> markSlots() { return std::vector<std::int64_t>(marks, marks + kMarkSlots); }
};

TEST_F(LineHistoryTest, WithoutMarksNothingIsPrinted) {
    for (std::int64_t n = 1; n <= 40; ++n) EXPECT_EQ(readLine(n), "") << n;
    EXPECT_EQ(histFilling, 0);
    EXPECT_EQ(histPos, 40 % 15);
}

TEST_F(LineHistoryTest, RingOfThreeAfterFourLines) {
    start(3, 1);
    const char* texts[] = {"L1", "L2", "L3", "L4"};
    for (int n = 1; n <= 4; ++n) recordLine(n, texts[n - 1]);
    const std::vector<std::pair<std::int64_t, std::string>> expected = {{4, "L4"}, {2, "L2"}, {3, "L3"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(histEntries[i].line, expected[i].first) << i;
        EXPECT_EQ(std::string(histEntries[i].text), expected[i].second) << i;
    }
    EXPECT_EQ(histPos, 1);
    EXPECT_EQ(histFilling, 0);
    EXPECT_EQ(frontLine(), 3);
    EXPECT_EQ(captureStdout(dumpHistory), dumped("0002", "L2") + dumped("0003", "L3") + dumped("0004", "L4") + kSeparator);
}

TEST_F(LineHistoryTest, FrontLineWhileFillingAndAfter) {
    start(4, 2);
    EXPECT_EQ(frontLine(), 0);  // nothing recorded yet
    struct Step {
        std::int64_t recorded;
        std::int64_t front;
    };
    // While filling the front is slot 0; afterwards the second-oldest line.
    const std::vector<Step> steps = {{1, 1}, {2, 1}, {3, 1}, {4, 2}, {5, 3}, {6, 4}, {7, 5}, {8, 6}};
    for (const Step& step : steps) {
        recordLine(step.recorded, "x");
        EXPECT_EQ(frontLine(), step.front) << step.recorded;
    }
}

TEST_F(LineHistoryTest, MarkOnLine20DumpsAtLine27) {
    std::string out;
    for (std::int64_t n = 1; n <= 19; ++n) out += readLine(n);
    out += readLine(20, true);
    out += readLine(21);
    out += readLine(22, true);
    EXPECT_EQ(out, "");
    // Marks ahead, set out of order: 28 lies just below the limit of the
    // dump, 35 beyond it.
    noLng = 28;
    addMark();
    noLng = 35;
    addMark();
    for (std::int64_t n = 23; n <= 26; ++n) EXPECT_EQ(readLine(n), "") << n;  // 26 is at distance 7
    EXPECT_EQ(markRead, 0);
    EXPECT_EQ(readLine(27), block(13, 27));
    // The marks below 14 + 15 = 29 from the current one onwards are gone.
    EXPECT_EQ(marks[0], 0);
    EXPECT_EQ(marks[1], 0);
    EXPECT_EQ(marks[2], 0);
    EXPECT_EQ(marks[3], 35);
    EXPECT_EQ(markRead, 3);
    EXPECT_EQ(markWrite, 4);
    EXPECT_EQ(currentMark(), 35);
    // The mark on 35 dumps at 42, showing 28 to 42, and nothing before.
    for (std::int64_t n = 28; n <= 41; ++n) EXPECT_EQ(readLine(n), "") << n;
    EXPECT_EQ(readLine(42), block(28, 42));
    EXPECT_EQ(currentMark(), 0);
    EXPECT_EQ(markRead, 4);
    for (std::int64_t n = 43; n <= 80; ++n) EXPECT_EQ(readLine(n), "") << n;
}

TEST_F(LineHistoryTest, MarksBeforeTheRingHasFilled) {
    struct Case {
        const char* name;
        std::int64_t markedLine;
        std::int64_t dumpedAt;  // the line whose recording dumps
        std::string dump;
    };
    const std::vector<Case> cases = {
        {"mark on the first line", 1, 1, block(1, 1)},
        {"mark on line 3", 3, 3, block(1, 3)},
        {"mark on line 7", 7, 7, block(1, 7)},
        {"mark on line 8 waits for the ring", 8, 15, block(1, 15)},
        {"mark on line 9", 9, 16, block(2, 16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start(15, 7);
        std::string before;
        for (std::int64_t n = 1; n < c.dumpedAt; ++n) before += readLine(n, n == c.markedLine);
        EXPECT_EQ(before, "");
        EXPECT_EQ(readLine(c.dumpedAt, c.dumpedAt == c.markedLine), c.dump);
        EXPECT_EQ(currentMark(), 0);
        std::string after;
        for (std::int64_t n = c.dumpedAt + 1; n <= 40; ++n) after += readLine(n);
        EXPECT_EQ(after, "");
    }
}

TEST_F(LineHistoryTest, NumbersPaddedToFourDigitsAndNeverCut) {
    start(5, 2);
    struct Line {
        std::int64_t number;
        const char* text;
        const char* printed;
    };
    const std::vector<Line> lines = {
        {7, "seven", "0007"},
        {999, "", "0999"},
        {1000, "a", "1000"},
        {12345, "five digits", "12345"},
        {123456789012LL, "beyond 32 bits", "123456789012"},
    };
    std::string expected;
    for (const Line& line : lines) {
        recordLine(line.number, line.text);
        expected += dumped(line.printed, line.text);
    }
    EXPECT_EQ(captureStdout(dumpHistory), expected + kSeparator);
}

TEST_F(LineHistoryTest, DumpPrintsOnlyRecordedSlots) {
    start(6, 3);
    EXPECT_EQ(captureStdout(dumpHistory), kSeparator);
    recordLine(1, "one");
    recordLine(2, "two");
    EXPECT_EQ(captureStdout(dumpHistory), dumped("0001", "one") + dumped("0002", "two") + kSeparator);
}

TEST_F(LineHistoryTest, TextIsCopiedAndCutAt4999Characters) {
    start(2, 1);
    std::string text(6000, 'q');
    text[4998] = 'e';
    recordLine(1, text.c_str());
    EXPECT_EQ(std::strlen(histEntries[0].text), 4999u);
    EXPECT_EQ(std::string(histEntries[0].text), text.substr(0, 4999));
    char changing[] = "before";
    recordLine(2, changing);
    std::strcpy(changing, "after!");
    EXPECT_EQ(std::string(histEntries[1].text), "before");
}

TEST_F(LineHistoryTest, AddMarkTwiceOnOneLineStoresOneMark) {
    noLng = 5;
    addMark();
    addMark();
    EXPECT_EQ(marks[0], 5);
    EXPECT_EQ(marks[1], 0);
    EXPECT_EQ(markWrite, 1);
    noLng = 6;
    addMark();
    noLng = 5;
    addMark();  // still outstanding, in another slot than the last
    EXPECT_EQ(marks[1], 6);
    EXPECT_EQ(marks[2], 0);
    EXPECT_EQ(markWrite, 2);
    EXPECT_EQ(currentMark(), 5);
}

TEST_F(LineHistoryTest, ThirtyFirstMarkOverwritesTheCurrentOne) {
    for (std::int64_t line = 1; line <= 30; ++line) {
        noLng = line;
        addMark();
    }
    EXPECT_EQ(markWrite, 0);
    EXPECT_EQ(markRead, 0);
    std::vector<std::int64_t> thirty;
    for (std::int64_t line = 1; line <= 30; ++line) thirty.push_back(line);
    EXPECT_EQ(markSlots(), thirty);
    // With every slot outstanding, dropping clears nothing.
    dropOldMarks(1000);
    EXPECT_EQ(markSlots(), thirty);
    EXPECT_EQ(markRead, 0);

    noLng = 31;
    addMark();
    EXPECT_EQ(marks[0], 31);
    EXPECT_EQ(currentMark(), 31);
    EXPECT_EQ(markWrite, 1);
    EXPECT_EQ(marks[1], 2);
}

TEST_F(LineHistoryTest, DropOldMarks) {
    struct Case {
        const char* name;
        std::vector<std::int64_t> marked;
        std::int64_t limit;
        int readAfter;
        std::vector<std::int64_t> left;  // the first slots afterwards
    };
    const std::vector<Case> cases = {
        {"current mark at the limit", {29, 5}, 29, 0, {29, 5, 0}},
        {"current mark above the limit", {40, 5}, 29, 0, {40, 5, 0}},
        {"stops at the first mark at the limit", {5, 10, 40, 7}, 30, 2, {0, 0, 40, 7}},
        {"clears up to the write slot", {5, 10}, 30, 2, {0, 0, 0}},
        {"no mark at all", {}, 30, 0, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start(15, 7);
        for (std::int64_t line : c.marked) {
            noLng = line;
            addMark();
        }
        dropOldMarks(c.limit);
        EXPECT_EQ(markRead, c.readAfter);
        EXPECT_EQ(markWrite, static_cast<int>(c.marked.size()));
        EXPECT_EQ(std::vector<std::int64_t>(marks, marks + c.left.size()), c.left);
    }
}

TEST_F(LineHistoryTest, DropWrapsAroundTheRing) {
    // Fill and empty 28 slots, so that the next marks straddle slot 29.
    for (std::int64_t line = 1; line <= 28; ++line) {
        noLng = line;
        addMark();
    }
    dropOldMarks(29);
    EXPECT_EQ(markRead, 28);
    for (std::int64_t line : {100, 101, 102, 500}) {
        noLng = line;
        addMark();
    }
    EXPECT_EQ(markWrite, 2);
    dropOldMarks(200);
    EXPECT_EQ(markRead, 1);
    EXPECT_EQ(currentMark(), 500);
    EXPECT_EQ(marks[28], 0);
    EXPECT_EQ(marks[29], 0);
    EXPECT_EQ(marks[0], 0);
}

TEST_F(LineHistoryTest, SingleSlotNeverDumps) {
    start(1, 0);
    std::string out;
    for (std::int64_t n = 1; n <= 10; ++n) out += readLine(n, true);
    EXPECT_EQ(out, "");
    EXPECT_EQ(histPos, 0);
    EXPECT_EQ(histFilling, 0);
    EXPECT_EQ(histEntries[0].line, 10);
    EXPECT_EQ(std::string(histEntries[0].text), lineText(10));
    EXPECT_EQ(frontLine(), 10);
    EXPECT_EQ(currentMark(), 1);
}

TEST_F(LineHistoryTest, ResetEmptiesBothRings) {
    for (std::int64_t n = 1; n <= 20; ++n) readLine(n, n % 3 == 0);
    nbl = 4;
    ASSERT_TRUE(resetLineHistory());
    EXPECT_EQ(histPos, 0);
    EXPECT_EQ(histFilling, 1);
    EXPECT_EQ(markRead, 0);
    EXPECT_EQ(markWrite, 0);
    EXPECT_EQ(markSlots(), std::vector<std::int64_t>(kMarkSlots, 0));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(histEntries[i].line, 0) << i;
        EXPECT_EQ(histEntries[i].text[0], '\0') << i;
    }
    nbl = 0;
    EXPECT_FALSE(resetLineHistory());
    EXPECT_EQ(histEntries, nullptr);
}

// Lines recorded in place, alone or mixed with lines recorded at once and
// with batches of empty lines, leave the ring as recordLine alone leaves
// it, once the pending texts are copied; a dump copies them first.
TEST_F(LineHistoryTest, LinesRecordedInPlaceEndAsRecordedLines) {
    // Each step records `count` lines: 'c' at once, 'p' in place, 'e' as a
    // batch of empty lines; 'f' copies the pending texts.
    struct Step {
        char how;
        int count;
    };
    const std::vector<std::vector<Step>> plans = {
        {{'p', 1}, {'f', 0}},
        {{'p', 2}, {'c', 1}, {'p', 1}, {'f', 0}},
        {{'p', 40}, {'f', 0}},
        {{'c', 4}, {'p', 7}, {'e', 2}, {'p', 3}, {'f', 0}},
        {{'p', 5}, {'e', 30}, {'p', 2}, {'c', 2}, {'p', 20}, {'f', 0}, {'p', 3}, {'f', 0}},
        {{'e', 3}, {'p', 1}, {'e', 1}, {'f', 0}},
    };
    for (int lines : {1, 2, 3, 15}) {
        for (std::size_t plan = 0; plan < plans.size(); ++plan) {
            // The texts stay in place until they are copied.
            std::vector<std::string> texts;
            std::vector<std::pair<std::int64_t, std::string>> reference;
            for (const Step& step : plans[plan]) {
                for (int i = 0; i < step.count; ++i) {
                    const std::int64_t number = static_cast<std::int64_t>(reference.size()) + 1;
                    reference.emplace_back(number, step.how == 'e' ? "" : lineText(number) + std::string(number % 7, 'x'));
                }
            }
            start(lines, 0);
            texts.reserve(reference.size());
            std::size_t next = 0;
            for (const Step& step : plans[plan]) {
                if (step.how == 'f') recordPendingLines();
                if (step.how == 'e') recordEmptyLines(reference[next].first, step.count);
                for (int i = 0; i < step.count; ++i, ++next) {
                    texts.push_back(reference[next].second);
                    if (step.how == 'c') recordLine(reference[next].first, texts.back().c_str());
                    if (step.how == 'p') recordLineInPlace(reference[next].first, texts.back().data(), texts.back().size());
                }
            }
            std::vector<std::pair<std::int64_t, std::string>> seen;
            for (int i = 0; i < lines; ++i) seen.emplace_back(histEntries[i].line, histEntries[i].text);
            const int seenPos = histPos;
            const int seenFilling = histFilling;
            start(lines, 0);
            for (const auto& line : reference) recordLine(line.first, line.second.c_str());
            for (int i = 0; i < lines; ++i) {
                EXPECT_EQ(seen[i].first, histEntries[i].line) << "nbl " << lines << ", plan " << plan << ", slot " << i;
                EXPECT_EQ(seen[i].second, histEntries[i].text) << "nbl " << lines << ", plan " << plan << ", slot " << i;
            }
            EXPECT_EQ(seenPos, histPos) << "nbl " << lines << ", plan " << plan;
            EXPECT_EQ(seenFilling, histFilling) << "nbl " << lines << ", plan " << plan;
        }
    }
    // A dump shows the texts still pending.
    start(3, 1);
    const std::string texts[] = {"L1", "L2", "L3", "L4"};
    for (int n = 1; n <= 4; ++n) recordLineInPlace(n, texts[n - 1].data(), texts[n - 1].size());
    EXPECT_EQ(captureStdout(dumpHistory), dumped("0002", "L2") + dumped("0003", "L3") + dumped("0004", "L4") + kSeparator);
    EXPECT_EQ(pendingLines, 0);
}

TEST_F(LineHistoryTest, RecordWithoutHistoryDoesNothing) {
    releaseLineHistory();
    noLng = 3;
    addMark();
    EXPECT_EQ(captureStdout([] { recordLine(3, "text"); }), "");
    EXPECT_EQ(histPos, 0);
    EXPECT_EQ(histEntries, nullptr);
}

}  // namespace
