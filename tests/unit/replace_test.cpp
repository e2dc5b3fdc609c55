// Replace mode against a file system held in memory: what stands after a
// run, what it said, and how it ended, when names collide under -e, when an
// input is no text, and when any step of putting a result in place fails.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "driver/exit_status.h"
#include "driver/run_settings.h"
#include "support/memory_file_system.h"
#include "support/memory_walk.h"

namespace {

using Files = std::map<std::string, std::string>;
using Names = std::vector<std::string>;

// "v" and "w" converted.
const std::string kV = "\t= \"v\"\r\n";
const std::string kW = "\t= \"w\"\r\n";

struct Case {
    const char* name;
    Files before;
    const char* newExt;  // null: no -e
    Names specs;
    Names failing;  // the memory file system's calls that fail
    Files after;
    std::string printed;
    ExitStatus status;
    std::string failureText;
    std::int64_t bytesIn;  // of the inputs converted, for the summary of -l
};

const std::string kCreateError = "Erreur de creation du fichier de sortie";

const std::vector<Case> kCases = {
    // Only text is replaced; a 0x1A that ends the text is text.
    {"binary",
     {{"bin.txt", std::string("x\0y", 3)}, {"eof.txt", "t\x1Atail"}, {"ok.txt", "w\x1A"}},
     nullptr, {"*.txt"}, {},
     {{"bin.txt", std::string("x\0y", 3)}, {"eof.txt", "t\x1Atail"}, {"ok.txt", kW}},
     "!!! Parsing impossible de .\\bin.txt (fichier binaire)\n"
     "!!! Parsing impossible de .\\eof.txt (fichier binaire)\n",
     ExitStatus::Normal, "", 2},
    // -e: a free new name takes the result and the input goes; a taken
    // one leaves the input as it is.
    {"new names", {{"a.txt", "v"}, {"b.txt", "w"}, {"b.vb", "old"}}, "vb", {"*.txt"}, {},
     {{"a.vb", kV}, {"b.txt", "w"}, {"b.vb", "old"}},
     "!!! Parsing impossible de .\\b.txt (.\\b.vb existe)\n", ExitStatus::Normal, "", 1},
    // A name a result of this run took counts as taken in any case.
    {"results count as taken", {{"a.txt", "v"}, {"A.txt", "w"}}, "vb", {"*.txt"}, {},
     {{"A.vb", kW}, {"a.txt", "v"}},
     "!!! Parsing impossible de .\\a.txt (.\\a.vb existe)\n", ExitStatus::Normal, "", 1},
    // The new name finds the input itself: the result takes its place.
    {"new name is the input", {{"a.txt", "v"}}, "TXT", {"a.txt"}, {}, {{"a.txt", kV}}, "", ExitStatus::Normal, "", 1},
    // An input that cannot be removed takes its new file back with it.
    {"input stays", {{"a.txt", "v"}, {"b.txt", "w"}}, "vb", {"*.txt"}, {"remove a.txt"},
     {{"a.txt", "v"}, {"b.vb", kW}},
     "!!! Suppression impossible de .\\a.txt: Permission denied\n", ExitStatus::Normal, "", 2},
    // Any step of making or placing a result that fails ends the run with
    // the input untouched, nothing of the result left, and no later file
    // converted.
    {"create fails", {{"a.txt", "v"}, {"b.txt", "w"}}, nullptr, {"*.txt"}, {"create"},
     {{"a.txt", "v"}, {"b.txt", "w"}}, "", ExitStatus::OutputFailed, kCreateError, 0},
    {"attributes fail", {{"a.txt", "v"}, {"b.txt", "w"}}, nullptr, {"*.txt"}, {"attributes"},
     {{"a.txt", "v"}, {"b.txt", "w"}}, "", ExitStatus::OutputFailed, kCreateError, 1},
    {"disk full at close", {{"a.txt", "v"}, {"b.txt", "w"}}, "vb", {"*.txt"}, {"closed"},
     {{"a.txt", "v"}, {"b.txt", "w"}}, "", ExitStatus::OutputFailed, kCreateError, 1},
    {"rename fails", {{"a.txt", "v"}, {"b.txt", "w"}}, nullptr, {"*.txt"}, {"rename"},
     {{"a.txt", "v"}, {"b.txt", "w"}}, "", ExitStatus::OutputFailed, "Erreur de remplacement de .\\a.txt", 1},
    {"rename to the new name fails", {{"a.txt", "v"}}, "vb", {"*.txt"}, {"rename"}, {{"a.txt", "v"}}, "",
     ExitStatus::OutputFailed, "Erreur de remplacement de .\\a.vb", 1},
};

TEST(Replace, LeavesTheFilesAsPromisedWhateverFails) {
    for (const Case& c : kCases) {
        MemoryFileSystem files;
        for (const auto& file : c.before) files.addFile(file.first, file.second);
        files.failing = c.failing;
        settings = RunSettings();
        settings.replace = settings.silent = 1;
        if (c.newExt != nullptr) {
            settings.changeExt = 1;
            settings.newExt = c.newExt;
        }
        const WalkOutcome outcome = walkInMemory(files, c.specs);
        EXPECT_EQ(files.files(), c.after) << c.name;
        EXPECT_EQ(outcome.printed, c.printed) << c.name;
        EXPECT_EQ(outcome.failure.status, c.status) << c.name;
        EXPECT_EQ(outcome.failure.text, c.failureText) << c.name;
        EXPECT_EQ(files.openInputs(), 0u) << c.name;
        EXPECT_EQ(totals.bytesIn, c.bytesIn) << c.name;
    }
}

// The new name is taken only once the result is whole and holds what the
// input has; the input goes last, so a failure at any step loses nothing.
TEST(Replace, RemovesTheInputOnlyOnceItsResultStands) {
    MemoryFileSystem files;
    files.addFile("a.txt", "v");
    settings = RunSettings();
    settings.replace = settings.silent = settings.changeExt = 1;
    settings.newExt = "vb";
    walkInMemory(files, {"a.txt"}, false);
    std::vector<std::string> changes;
    const std::regex working("txt2vb-[A-Za-z0-9]{6}");
    for (const std::string& call : files.calls) {
        const std::string word = call.substr(0, call.find(' '));
        if (word == "create" || word == "attributes" || word == "closed" || word == "rename" || word == "remove")
            changes.push_back(std::regex_replace(call, working, "txt2vb-XXXXXX"));
    }
    EXPECT_EQ(changes, Names({"create .a.txt.txt2vb-XXXXXX", "attributes .a.txt.txt2vb-XXXXXX",
                              "closed .a.txt.txt2vb-XXXXXX", "rename .a.txt.txt2vb-XXXXXX a.vb", "remove a.txt"}));
    EXPECT_EQ(files.files(), Files({{"a.vb", kV}}));
}

}  // namespace
