// Replace mode against a file system held in memory: what stands after a
// run, what it said, and how it ended, when names collide under -e, when an
// input is no text, and when any step of putting a result in place fails.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "support/memory_file_system.h"
#include "support/memory_run.h"

namespace {

using Files = std::map<std::string, std::string>;
using Names = std::vector<std::string>;

// "v" and "w" converted.
const std::string kV = "\t= \"v\"\r\n";
const std::string kW = "\t= \"w\"\r\n";
const std::string kCreateError = "Erreur de creation du fichier de sortie: ";

struct Case {
    const char* name;
    Files before;
    Names args;     // after -r -s
    Names failing;  // the memory file system's calls that fail
    Files after;
    std::string messages;
    int status;
};

const std::vector<Case> kCases = {
    // Only text is replaced; a 0x1A that ends the text is text.
    {"binary",
     {{"bin.txt", std::string("x\0y", 3)}, {"eof.txt", "t\x1Atail"}, {"ok.txt", "w\x1A"}},
     {"*.txt"}, {},
     {{"bin.txt", std::string("x\0y", 3)}, {"eof.txt", "t\x1Atail"}, {"ok.txt", kW}},
     "!!! Parsing impossible de .\\bin.txt (fichier binaire)\n"
     "!!! Parsing impossible de .\\eof.txt (fichier binaire)\n",
     0},
    // -e: a free new name takes the result and the input goes; a taken
    // one leaves the input as it is.
    {"new names", {{"a.txt", "v"}, {"b.txt", "w"}, {"b.vb", "old"}}, {"-e:vb", "*.txt"}, {},
     {{"a.vb", kV}, {"b.txt", "w"}, {"b.vb", "old"}}, "!!! Parsing impossible de .\\b.txt (.\\b.vb existe)\n", 0},
    // A name a result of this run took counts as taken in any case.
    {"results count as taken", {{"a.txt", "v"}, {"A.txt", "w"}}, {"-e:vb", "*.txt"}, {},
     {{"A.vb", kW}, {"a.txt", "v"}}, "!!! Parsing impossible de .\\a.txt (.\\a.vb existe)\n", 0},
    // The new name finds the input itself: the result takes its place.
    {"new name is the input", {{"a.txt", "v"}}, {"-e:TXT", "a.txt"}, {}, {{"a.txt", kV}}, "", 0},
    // An input that cannot be removed takes its new file back with it.
    {"input stays", {{"a.txt", "v"}, {"b.txt", "w"}}, {"-e:vb", "*.txt"}, {"remove a.txt"},
     {{"a.txt", "v"}, {"b.vb", kW}}, "!!! Suppression impossible de .\\a.txt: Permission denied\n", 0},
    // Any step of making or placing a result that fails ends the run with
    // the input untouched, nothing of the result left, and no later file
    // converted.
    {"no lock", {{"a.txt", "v"}}, {"*.txt"}, {"lock"}, {{"a.txt", "v"}},
     kCreateError + "_~null932: Permission denied\n", -2},
    // From a working directory it may not write, a run goes on without one.
    {"no lock to take", {{"a.txt", "v"}}, {"*.txt"}, {"unwritable"}, {{"a.txt", kV}}, "", 0},
    {"create fails", {{"a.txt", "v"}, {"b.txt", "w"}}, {"*.txt"}, {"create"}, {{"a.txt", "v"}, {"b.txt", "w"}},
     kCreateError + "Permission denied\n", -2},
    {"attributes fail", {{"a.txt", "v"}, {"b.txt", "w"}}, {"*.txt"}, {"attributes"},
     {{"a.txt", "v"}, {"b.txt", "w"}}, kCreateError + "Permission denied\n", -2},
    {"disk full at close", {{"a.txt", "v"}, {"b.txt", "w"}}, {"-e:vb", "*.txt"}, {"closed"},
     {{"a.txt", "v"}, {"b.txt", "w"}}, kCreateError + "No space left on device\n", -2},
    {"disk full while writing", {{"a.txt", "v"}}, {"*.txt"}, {"write"}, {{"a.txt", "v"}},
     kCreateError + "No space left on device\n", -2},
    // Another process wrote to the input while it was read.
    {"input written meanwhile", {{"a.txt", "v"}, {"b.txt", "w"}}, {"*.txt"}, {"unchanged a.txt"},
     {{"a.txt", "v"}, {"b.txt", "w"}},
     "Erreur de remplacement de .\\a.txt: le fichier a chang\xC3\xA9 pendant sa lecture\n", -2},
    {"rename fails", {{"a.txt", "v"}, {"b.txt", "w"}}, {"*.txt"}, {"rename"}, {{"a.txt", "v"}, {"b.txt", "w"}},
     "Erreur de remplacement de .\\a.txt: Permission denied\n", -2},
    {"rename to the new name fails", {{"a.txt", "v"}}, {"-e:vb", "*.txt"}, {"rename"}, {{"a.txt", "v"}},
     "Erreur de remplacement de .\\a.vb: Permission denied\n", -2},
    // -decode keeps the same rules: what is no text is left as it is, also
    // when its beginning is an expression.
    {"decode", {{"s.vb", "\t= \"abc\"\r\n\x1Aimportant tail\r\n"}, {"t.vb", "\t= \"t\"\r\n"}},
     {"-decode", "*.vb"}, {},
     {{"s.vb", "\t= \"abc\"\r\n\x1Aimportant tail\r\n"}, {"t.vb", "t"}},
     "!!! Parsing impossible de .\\s.vb (fichier binaire)\n", 0},
    // In UTF-16 the characters U+0000 and U+001A count as a NUL and a 0x1A.
    {"UTF-16",
     {{"a.txt", std::string("\xFF\xFE\"\0a\0\x1A\0t\0", 10)},
      {"b.txt", std::string("\xFE\xFF\0x\0\0\0y", 8)},
      {"c.txt", std::string("\xFF\xFEv\0\x1A\0", 6)}},
     {"*.txt"}, {},
     {{"a.txt", std::string("\xFF\xFE\"\0a\0\x1A\0t\0", 10)},
      {"b.txt", std::string("\xFE\xFF\0x\0\0\0y", 8)},
      {"c.txt", kV}},
     "!!! Parsing impossible de .\\a.txt (fichier binaire)\n"
     "!!! Parsing impossible de .\\b.txt (fichier binaire)\n",
     0},
    {"UTF-16 decode", {{"d.vb", std::string("\xFF\xFE=\0\"\0a\0\"\0\x1A\0t\0", 14)}}, {"-decode", "*.vb"}, {},
     {{"d.vb", std::string("\xFF\xFE=\0\"\0a\0\"\0\x1A\0t\0", 14)}},
     "!!! Parsing impossible de .\\d.vb (fichier binaire)\n", 0},
};

TEST(Replace, LeavesTheFilesAsPromisedWhateverFails) {
    for (const Case& c : kCases) {
        MemoryFileSystem files;
        for (const auto& file : c.before) files.addFile(file.first, file.second);
        files.failing = c.failing;
        Names args = {"-r", "-s"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const MemoryRun run = runInMemory(files, args);
        EXPECT_EQ(files.files(), c.after) << c.name;
        EXPECT_EQ(run.messages, c.messages) << c.name;
        EXPECT_EQ(run.status, c.status) << c.name;
        EXPECT_EQ(files.openInputs, 0) << c.name;
    }
}

// The lock comes before any input is opened; the new name is taken only
// once the result is whole and holds what the input has; the input goes
// last, so a failure at any step loses nothing.
TEST(Replace, TakesItsStepsInOrder) {
    MemoryFileSystem files;
    files.addFile("a.txt", "v");
    runInMemory(files, {"-r", "-s", "-e:vb", "a.txt"});
    Names steps;
    const std::regex working("txt2vb-[A-Za-z0-9]{6}");
    for (const std::string& call : files.calls) {
        if (call.compare(0, 4, "list") != 0) steps.push_back(std::regex_replace(call, working, "txt2vb-XXXXXX"));
    }
    EXPECT_EQ(steps, Names({"lock", "open a.txt", "create .a.txt.txt2vb-XXXXXX", "write .a.txt.txt2vb-XXXXXX",
                            "unchanged a.txt", "attributes .a.txt.txt2vb-XXXXXX", "closed .a.txt.txt2vb-XXXXXX",
                            "rename .a.txt.txt2vb-XXXXXX a.vb", "remove a.txt"}));
    EXPECT_EQ(files.files(), Files({{"a.vb", kV}}));
}

// The summary's size change covers the files converted: one passed over
// counts in neither side.
TEST(Replace, TheSummaryCountsTheFilesConverted) {
    MemoryFileSystem files;
    files.addFile("bin.txt", std::string(5000, '\0'));
    files.addFile("ok.txt", "w");
    const MemoryRun run = runInMemory(files, {"-r", "-l", "*.txt"});
    EXPECT_EQ(run.messages.substr(run.messages.rfind("1 fichiers")),
              "1 fichiers pars\xC3\xA9s (delta:+7/+700%)\n");
}

}  // namespace
