// Option classification, named options and the delta arithmetic.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/log_line.h"
#include "driver/named_options.h"
#include "driver/run_settings.h"

namespace {

void resetRun() {
    settings = RunSettings();
    clearNamedOptions();
}

std::vector<std::string> storedOptions() {
    std::vector<std::string> all;
    for (int i = 0; i < namedOptionCount(); ++i) all.emplace_back(namedOptionAt(i));
    return all;
}

TEST(CommandLineOptions, LetterOptionsSetTheirSettings) {
    struct Case {
        std::vector<const char*> args;
        int silent, traceDirs, verbose, recursive, replace, append, changeExt, sizeDelta;
    };
    const std::vector<Case> cases = {
        {{"-s"}, 1, 0, 0, 0, 0, 0, 0, 0},
        {{"-S"}, 1, 0, 0, 0, 0, 0, 0, 0},
        {{"-d", "-t"}, 0, 1, 0, 1, 0, 0, 0, 0},
        {{"-V", "-L"}, 0, 0, 1, 0, 0, 0, 0, 1},
        {{"-r", "-e:asp"}, 0, 0, 0, 0, 1, 0, 1, 0},
        {{"-a:x"}, 0, 0, 0, 0, 0, 1, 0, 0},
        {{"-e"}, 0, 0, 0, 0, 0, 0, 1, 0},
        {{"-x", "-1", "-Z"}, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        resetRun();
        for (const char* arg : c.args) classifyOption(arg);
        std::string name = c.args[0];
        EXPECT_EQ(settings.silent, c.silent) << name;
        EXPECT_EQ(settings.traceDirs, c.traceDirs) << name;
        EXPECT_EQ(settings.verbose, c.verbose) << name;
        EXPECT_EQ(settings.recursive, c.recursive) << name;
        EXPECT_EQ(settings.replace, c.replace) << name;
        EXPECT_EQ(settings.append, c.append) << name;
        EXPECT_EQ(settings.changeExt, c.changeExt) << name;
        EXPECT_EQ(settings.sizeDelta, c.sizeDelta) << name;
        EXPECT_EQ(namedOptionCount(), 0) << name;
    }
}

TEST(CommandLineOptions, ValuesOfAppendAndExtension) {
    resetRun();
    classifyOption("-e:htm");
    classifyOption("-E:asp");
    EXPECT_EQ(settings.newExt, "asp");
    classifyOption("-e");
    EXPECT_EQ(settings.newExt, "asp") << "a bare -e keeps the earlier value";

    resetRun();
    classifyOption("-A:result.txt");
    EXPECT_EQ(settings.appendName, "result.txt");
    EXPECT_EQ(settings.outName, "result.txt");
    EXPECT_STREQ(settings.outMode, "a+");

    resetRun();
    std::string longName(300, 'n');
    classifyOption(("-a:" + longName).c_str());
    EXPECT_EQ(settings.appendName, longName) << "the whole name is kept";

    resetRun();
    classifyOption("-r");
    EXPECT_EQ(settings.outName, kTempResultName);
    EXPECT_STREQ(settings.outMode, "w+");
}

TEST(CommandLineOptions, OtherWordsAreStoredAsNamedOptions) {
    resetRun();
    for (const char* arg : {"-xy", "-", "-nbl:20", "-r:1", "-ab", "-a", "-e:", "-NBF:3", "-nbl:20"}) classifyOption(arg);
    EXPECT_EQ(storedOptions(), (std::vector<std::string>{"xy", "", "nbl:20", "r:1", "ab", "NBF:3", "nbl:20"}));
    EXPECT_EQ(settings.append, 1);
    EXPECT_EQ(settings.appendName, "");
    EXPECT_EQ(settings.changeExt, 1);
}

TEST(NamedOptions, Lookups) {
    resetRun();
    addNamedOption("nbl:20");
    addNamedOption("name:abc");
    EXPECT_STREQ(namedOptionValue("nbl:"), "20");
    EXPECT_STREQ(namedOptionValue("nbl"), ":20");
    EXPECT_STREQ(namedOptionValue("name:"), "ABC") << "values come back upper-cased";
    EXPECT_STREQ(namedOptionValue("zz"), "");
    EXPECT_STREQ(namedOptionValue(nullptr), "");
    EXPECT_STREQ(findNamedOption(nullptr, 0), "");
    EXPECT_STREQ(findNamedOption("", 0), "NBL:20") << "an empty key matches the first option";

    // A case-insensitive lookup leaves what it visited upper-cased.
    EXPECT_EQ(hasNamedOptionExact("nbl:"), 0);
    EXPECT_EQ(hasNamedOptionExact("NBL:"), 1);
    EXPECT_EQ(hasNamedOptionAnyCase("nbl:"), 1);
}

TEST(NamedOptions, FirstMatchWinsAndShortOptionsDoNotMatch) {
    resetRun();
    addNamedOption("NBL:20");
    addNamedOption("nbl:30");
    addNamedOption("nb");
    EXPECT_STREQ(namedOptionValue("nbl:"), "20");
    resetRun();
    addNamedOption("nb");
    EXPECT_STREQ(namedOptionValue("nbl:"), "");
    EXPECT_EQ(hasNamedOption("nb", 0), 0) << "the lookup upper-cased it";
    EXPECT_EQ(hasNamedOption("NB", 0), 1);
}

TEST(NamedOptions, ExactLookupStopsAtItsFirstMatch) {
    resetRun();
    addNamedOption("abc");
    addNamedOption("abd");
    EXPECT_STREQ(findNamedOption("AB", 1), "ABC");
    // Only the options up to the first match were upper-cased.
    EXPECT_STREQ(findNamedOption("abd", 0), "abd");
}

TEST(NamedOptions, LongValuesAreHeldWhole) {
    resetRun();
    std::string value(5000, 'v');
    addNamedOption(("key:" + value).c_str());
    EXPECT_EQ(std::string(namedOptionValue("key:")), std::string(5000, 'V'));
}

TEST(SizeDelta, FormatsAsTheSummaryAndTheReplaceLineShowThem) {
    struct Case {
        std::int64_t in, out;
        const char* expected;
    };
    const std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const std::vector<Case> cases = {
        {1000, 1100, "(delta:+100/+10%)"},
        {1000, 900, "(delta:-100/-10%)"},
        {0, 0, "(delta:0/0%)"},
        {0, 7, "(delta:+7/+0%)"},
        {3, 4, "(delta:+1/+33%)"},
        {3, 2, "(delta:-1/-33%)"},
        {100, 0, "(delta:-100/-100%)"},
        // Beyond 21 MB a 32-bit diff x 100 would overflow.
        {30000000, 90000000, "(delta:+60000000/+200%)"},
        {5000000000, 15000000007, "(delta:+10000000007/+200%)"},
        {max, max, "(delta:0/0%)"},
        {max - 1, max, "(delta:+1/+0%)"},
        {1, max, "(delta:+9223372036854775806/+9223372036854775807%)"},
        {max, 0, "(delta:-9223372036854775807/-100%)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatDelta(c.in, c.out), c.expected) << c.in << " -> " << c.out;
    }
}

TEST(SizeDelta, PercentIsTruncatedTowardZeroExactly) {
    // Compare with 128-bit arithmetic over awkward values.
    const std::int64_t values[] = {1, 2, 3, 7, 99, 100, 101, 12345, 1LL << 31, (1LL << 31) + 1,
                                   (1LL << 40) + 3, 922337203685477580LL, 4611686018427387903LL};
    for (std::int64_t in : values) {
        for (std::int64_t out : values) {
            __int128 expected = (static_cast<__int128>(out) - in) * 100 / in;
            if (expected > std::numeric_limits<std::int64_t>::max()) expected = std::numeric_limits<std::int64_t>::max();
            EXPECT_EQ(deltaPercent(in, out), static_cast<std::int64_t>(expected)) << in << " -> " << out;
        }
    }
}

}  // namespace
