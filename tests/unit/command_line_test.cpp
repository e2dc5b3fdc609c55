// Option classification and named options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/file_sets.h"
#include "driver/named_options.h"
#include "driver/run_settings.h"
#include "support/scratch_files.h"

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
    EXPECT_EQ(settings.outMode, platform::OpenMode::Append);

    resetRun();
    std::string longName(300, 'n');
    classifyOption(("-a:" + longName).c_str());
    EXPECT_EQ(settings.appendName, longName) << "the whole name is kept";

    resetRun();
    classifyOption("-r");
    EXPECT_EQ(settings.outName, "") << "a replaced file's result is named beside it";
    EXPECT_EQ(settings.outMode, platform::OpenMode::Overwrite);
}

TEST(CommandLineOptions, OtherWordsAreStoredAsNamedOptions) {
    resetRun();
    for (const char* arg : {"-xy", "-", "-nbl:20", "-r:1", "-ab", "-a", "-e:", "-NBF:3", "-nbl:20"}) classifyOption(arg);
    EXPECT_EQ(storedOptions(), (std::vector<std::string>{"xy", "", "nbl:20", "r:1", "ab", "NBF:3", "nbl:20"}));
    EXPECT_EQ(settings.append, 1);
    EXPECT_EQ(settings.appendName, "");
    EXPECT_EQ(settings.changeExt, 1);
}

// "--" ends the options: every later argument is a file argument, "--"
// and names beginning with '-' included.
TEST(CommandLineArguments, DoubleDashEndsTheOptions) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    InDirectory inside(dir.path());
    ASSERT_TRUE(inside.ok());
    struct Case {
        std::vector<const char*> args;
        int replace, silent;
        std::string patterns;  // of the one row, "" for none
        std::vector<std::string> named;
    };
    const std::vector<Case> cases = {
        {{"-r", "-s", "*.txt"}, 1, 1, "*.txt", {}},
        {{"--", "-r", "-s"}, 0, 0, "-r;-s", {}},
        {{"-s", "--", "--", "-xy", "--help", "-?"}, 0, 1, "--;-xy;--help;-?", {}},
        {{"-xy", "--"}, 0, 0, "", {"xy"}},
        {{"a.txt", "--", "-r"}, 0, 0, "a.txt;-r", {}},
        {{"---"}, 0, 0, "", {"--"}},
    };
    for (const Case& c : cases) {
        resetRun();
        clearFileSets();
        ArgumentReader reader;
        for (const char* arg : c.args) {
            std::string message;
            EXPECT_TRUE(tryReadArgument(arg, reader, message)) << arg;
        }
        const std::string name = c.args.front();
        EXPECT_EQ(settings.replace, c.replace) << name;
        EXPECT_EQ(settings.silent, c.silent) << name;
        EXPECT_EQ(fileSetTable[0].used ? fileSetTable[0].patterns : "", c.patterns) << name;
        EXPECT_FALSE(fileSetTable[1].used) << name;
        EXPECT_EQ(storedOptions(), c.named) << name;
    }
    clearFileSets();
}

// A new extension must keep the new name one name of the input's directory.
TEST(CommandLineOptions, ExtensionsThatLeaveTheDirectoryAreRefused) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"asp", true},       {"", true},          {"a.b", true},         {".asp", true},
        {"tar.gz", true},    {"..asp", true},     {"/x", false},         {"d/../../x", false},
        {"..\\x", false},    {"c:", false},       {"x:stream", false},   {"..", false},
        {".", false},        {"...", false},      {"a/", false},         {"\\", false},
    };
    for (const auto& c : cases) {
        resetRun();
        settings.newExt = "before";
        std::string message;
        const std::string option = std::string("-e:") + c.first;
        EXPECT_EQ(tryClassifyOption(option.c_str(), message), c.second) << option;
        EXPECT_EQ(isSafeExtension(c.first), c.second) << option;
        if (c.second) {
            EXPECT_EQ(settings.newExt, c.first) << option;
            EXPECT_TRUE(message.empty()) << option;
        } else {
            EXPECT_EQ(settings.newExt, "before") << option << ": nothing is set";
            EXPECT_EQ(settings.changeExt, 0) << option;
            EXPECT_NE(message.find(std::string("\"") + c.first + "\""), std::string::npos) << message;
        }
    }
    resetRun();
    EXPECT_EXIT(classifyOption("-E:../x"), testing::ExitedWithCode(1), "Extension invalide : \"\\.\\./x\"");
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

}  // namespace
