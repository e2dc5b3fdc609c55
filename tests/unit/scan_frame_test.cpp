// The frame around the conversion of one file: the history size from the
// named options -nbl: and -nbf:, the reset of the per-file state, the
// prologue and epilogue, and the hooks.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "parser/convert_input.h"
#include "parser/scan_frame.h"
#include "parser/start_states.h"
#include "platform/console.h"
#include "scanner/engine.h"
#include "scanner/line_history.h"
#include "scanner/line_state.h"
#include "scanner/rules.h"
#include "support/capture.h"
#include "support/hooks.h"
#include "support/convert.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// However generously the system grants memory, a history of the largest
// size is then refused. The sanitizer build keeps its own reservations and
// refuses such a size by itself.
void limitAddressSpace() {
    if (kAddressSanitizer) return;
    rlimit limit;
    limit.rlim_cur = limit.rlim_max = rlim_t{1} << 36;
    setrlimit(RLIMIT_AS, &limit);
}

// The named options and the trace switch a run hands the frame.
TestHooks hooks;

void setOptions(const std::vector<const char*>& options) {
    hooks.options = NamedOptionList(std::vector<std::string>(options.begin(), options.end()));
}

class ScanFrameTest : public testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }
    static void clean() {
        resetScanState();
        hooks.options = NamedOptionList();
        hooks.trace = false;
        yy_hooks = &hooks;
    }
};

class ScanFrameDeathTest : public ScanFrameTest {};

TEST_F(ScanFrameTest, HistorySizeFromNamedOptions) {
    struct Case {
        std::vector<const char*> options;  // as stored, without the dash
        int nblBefore;                     // kept from an earlier file
        int nblAfter;
        int nbfAfter;
    };
    const std::vector<Case> cases = {
        {{}, 15, 15, 7},
        {{"nbl:20"}, 15, 20, 10},
        {{"nbl:20", "nbf:5"}, 15, 20, 5},
        {{"nbf:5", "nbl:20"}, 15, 20, 5},
        {{"nbf:15"}, 15, 15, 7},
        {{"nbf:14"}, 15, 15, 14},
        {{"nbf:0"}, 15, 15, 7},
        {{"nbf:-3"}, 15, 15, 7},
        {{"nbf:-3", "nbl:20"}, 15, 20, 10},
        {{"nbl:1"}, 15, 1, 0},
        {{"nbl:1", "nbf:1"}, 15, 1, 0},
        {{"nbl:2"}, 15, 2, 1},
        {{"nbl:3"}, 15, 3, 1},
        {{"nbl:12abc"}, 15, 12, 6},
        {{"nbl:abc"}, 20, 20, 10},
        {{"nbl:"}, 20, 20, 10},
        {{"nbl: 20"}, 15, 20, 10},
        {{"nbl:+20"}, 15, 20, 10},
        {{"NBL:20"}, 15, 20, 10},
        {{"Nbl:20", "NbF:4"}, 15, 20, 4},
        {{"nbl:20", "nbl:30"}, 15, 20, 10},
        {{"nbl:0"}, 20, 20, 10},
        {{"nbl:-5"}, 20, 20, 10},
        {{"nbl:0"}, 15, 15, 7},
        {{"nbl20"}, 15, 15, 7},
        {{"nbl"}, 15, 15, 7},
        {{"xnbl:20"}, 15, 15, 7},
        {{"nbl:16", "nbf:15"}, 15, 16, 15},
        {{"nbl:16", "nbf:16"}, 15, 16, 8},
        {{"nbl:20", "nbf:7x"}, 15, 20, 7},
        {{"nbf:abc"}, 15, 15, 7},
        {{"nbl:20", "nbf:"}, 15, 20, 10},
        {{"verbose", "nbl:9"}, 15, 9, 4},
    };
    for (const Case& c : cases) {
        std::string name;
        for (const char* option : c.options) name += std::string(" -") + option;
        SCOPED_TRACE("options:" + name + ", nbl before " + std::to_string(c.nblBefore));
        clean();
        setOptions(c.options);
        nbl = c.nblBefore;
        EXPECT_EQ(captureStdout(beginFileScan), "\t= \"");
        EXPECT_EQ(nbl, c.nblAfter);
        EXPECT_EQ(nbf, c.nbfAfter);
        // nbl zero-filled slots; the sanitizer build checks the bound.
        ASSERT_NE(histEntries, nullptr);
        for (int i = 0; i < nbl; ++i) {
            EXPECT_EQ(histEntries[i].line, 0);
            EXPECT_EQ(histEntries[i].text[0], '\0');
        }
        histEntries[nbl - 1].text[kCurLineSize - 1] = 'x';
        EXPECT_EQ(captureStdout(endFileScan), "\"\r\n");
        EXPECT_EQ(histEntries, nullptr);
    }
}

TEST_F(ScanFrameTest, LargeHistoryIsAllocated) {
    setOptions({"nbl:20000"});
    captureStdout(beginFileScan);
    EXPECT_EQ(nbl, 20000);
    EXPECT_EQ(nbf, 10000);
    ASSERT_NE(histEntries, nullptr);
    EXPECT_EQ(histEntries[19999].line, 0);
    recordLine(1, "one");
    captureStdout(endFileScan);
}

TEST_F(ScanFrameDeathTest, HistoryThatCannotBeAllocatedEndsTheRun) {
    // A child started afresh, so that the sanitizer build lets the
    // allocation fail instead of reporting it.
    const std::string savedStyle = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char* previous = std::getenv("ASAN_OPTIONS");
    const std::string savedAsan = previous != nullptr ? previous : "";
    const std::string options = (savedAsan.empty() ? "" : savedAsan + ":") + "allocator_may_return_null=1";
    setenv("ASAN_OPTIONS", options.c_str(), 1);

    // The sanitizer announces the refused allocation on a line of its own.
    const std::string sanitizerNotice =
        kAddressSanitizer ? "(==[0-9]+==WARNING: AddressSanitizer failed to allocate 0x[0-9a-f]+ bytes\n)?" : "";
    const std::string message =
        "^" + sanitizerNotice + "Pas assez de m" + TXT2VB_E_ACUTE + "moire pour l'historique des lignes \\(-nbl\\)\n$";
    for (const char* option : {"nbl:99999999999", "nbl:2147483647", "NBL:4000000000"}) {
        EXPECT_EXIT(
            {
                limitAddressSpace();
                setOptions({option});
                beginFileScan();
            },
            testing::ExitedWithCode(2), message)
            << option;
    }

    if (savedAsan.empty()) {
        unsetenv("ASAN_OPTIONS");
    } else {
        setenv("ASAN_OPTIONS", savedAsan.c_str(), 1);
    }
    GTEST_FLAG_SET(death_test_style, savedStyle);
}

TEST_F(ScanFrameTest, BeginResetsThePerFileState) {
    for (int verbose : {0, 1}) {
        SCOPED_TRACE(verbose ? "verbose" : "quiet");
        clean();
        // What a previous file left behind.
        ASSERT_TRUE(resetLineHistory());
        recordLine(1, "old one");
        recordLine(2, "old two");
        noLng = 99;
        std::strcpy(curLine, "junk");
        curLineLength = 4;
        marks[5] = 7;
        markRead = 4;
        markWrite = 6;
        stateDepth = 2;
        startStateStack[1] = 3;
        startStateStack[2] = 4;
        start_code = 9;
        hooks.trace = verbose;
        stateTrace = !verbose;
        inString = 0;
        textSeen = 1;

        EXPECT_EQ(captureStdout(beginFileScan), "\t= \"");
        EXPECT_EQ(noLng, 1);
        EXPECT_EQ(curLine[0], '\0');
        EXPECT_EQ(curLineLength, 0);
        EXPECT_EQ(histPos, 0);
        EXPECT_EQ(histFilling, 1);
        ASSERT_NE(histEntries, nullptr);
        for (int i = 0; i < nbl; ++i) {
            EXPECT_EQ(histEntries[i].line, 0) << i;
            EXPECT_EQ(histEntries[i].text[0], '\0') << i;
        }
        for (int i = 0; i < kMarkSlots; ++i) EXPECT_EQ(marks[i], 0) << i;
        EXPECT_EQ(markRead, 0);
        EXPECT_EQ(markWrite, 0);
        // Only the current start state is replaced; the depth stays.
        EXPECT_EQ(stateDepth, 2);
        EXPECT_EQ(startStateStack[2], INITIAL);
        EXPECT_EQ(startStateStack[1], 3);
        EXPECT_EQ(start_code, 1);
        EXPECT_EQ(stateTrace, verbose);
        EXPECT_EQ(inString, 1);  // the prologue opened the string
        EXPECT_EQ(textSeen, 0);
        captureStdout(endFileScan);
    }
}

TEST_F(ScanFrameTest, EndWritesTheEpilogueAndReleasesTheHistory) {
    struct Case {
        const char* name;
        int inString;
        std::string epilogue;
    };
    const std::vector<Case> cases = {
        {"string open", 1, "\"\r\n"},
        {"after a line feed", 0, "\t& \"\"\r\n"},
    };
    for (const Case& c : cases) {
        captureStdout(beginFileScan);
        inString = c.inString;
        EXPECT_EQ(captureStdout(endFileScan), c.epilogue) << c.name;
        EXPECT_EQ(histEntries, nullptr) << c.name;
    }
}

TEST_F(ScanFrameTest, TwoFilesGetTheSameSizesAndFreshState) {
    setOptions({"nbl:6", "nbf:2"});
    captureStdout(beginFileScan);
    EXPECT_EQ(nbl, 6);
    EXPECT_EQ(nbf, 2);
    const std::string dump = captureStdout([] {
        for (std::int64_t n = 1; n <= 8; ++n) {
            noLng = n;
            if (n == 3) addMark();
            recordLine(n, "text");
        }
    });
    EXPECT_NE(dump, "");
    captureStdout(endFileScan);

    setOptions({"nbl:6", "nbf:2"});
    EXPECT_EQ(captureStdout(beginFileScan), "\t= \"");
    EXPECT_EQ(nbl, 6);
    EXPECT_EQ(nbf, 2);
    EXPECT_EQ(noLng, 1);
    EXPECT_EQ(histFilling, 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(histEntries[i].line, 0) << i;
    EXPECT_EQ(currentMark(), 0);
    captureStdout(endFileScan);

    // The sizes stay when the options are gone.
    setOptions({});
    captureStdout(beginFileScan);
    EXPECT_EQ(nbl, 6);
    EXPECT_EQ(nbf, 3);
    captureStdout(endFileScan);
}

TEST_F(ScanFrameTest, EmptyInputIsPrologueThenEpilogue) {
    EXPECT_EQ(convertStream(""), "\t= \"\"\r\n");
    EXPECT_EQ(noLng, 1);
}

TEST_F(ScanFrameTest, Hooks) {
    for (int call = 0; call < 3; ++call) EXPECT_EQ(wrapHook(), 1) << call;
    noLng = 5;
    EXPECT_EQ(captureStdout([] {
                  beforeParse();
                  afterParse();
              }),
              "");
    EXPECT_EQ(noLng, 5);
}

TEST_F(ScanFrameTest, ReadDecimal) {
    struct Case {
        const char* text;
        bool read;
        int value;  // 42, the value before, when nothing is read
    };
    const std::vector<Case> cases = {
        {"20", true, 20},
        {"0", true, 0},
        {"007", true, 7},
        {"  20", true, 20},
        {"\t\n 5", true, 5},
        {"-7", true, -7},
        {"+3", true, 3},
        {"12abc", true, 12},
        {"1e5", true, 1},
        {"3 4", true, 3},
        {"2147483647", true, INT_MAX},
        {"-2147483648", true, INT_MIN},
        {"2147483648", true, INT_MAX},
        {"-2147483649", true, INT_MIN},
        {"99999999999", true, INT_MAX},
        {"-99999999999", true, INT_MIN},
        {"99999999999999999999999999999999", true, INT_MAX},
        {"", false, 42},
        {"abc", false, 42},
        {"-", false, 42},
        {"+", false, 42},
        {"- 5", false, 42},
        {"+-5", false, 42},
        {" ", false, 42},
        {"x12", false, 42},
    };
    for (const Case& c : cases) {
        int value = 42;
        EXPECT_EQ(readDecimal(c.text, &value), c.read) << '"' << c.text << '"';
        EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    }
}

}  // namespace
