// Which files the walk hands on, in which order, and the notices of those it
// passes over, against a file system held in memory.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "driver/file_sets.h"
#include "driver/run_settings.h"
#include "platform/console.h"
#include "support/memory_file_system.h"
#include "support/memory_walk.h"

namespace {

using Names = std::vector<std::string>;

enum class Mode { Console, Append, Replace };

// The files the walk handed on, as shown.
Names handedOn;

Failure recordFile(const SelectedFile& file, OpenedInput& opened) {
    handedOn.push_back(file.path);
    closeSelected(opened);
    return Failure();
}

// Walks the specifications (`exact`: arguments given as on the command
// line, naming entries exactly) in `files` under the mode's settings; what
// the walk printed.
std::string walk(MemoryFileSystem& files, Mode mode, const Names& specs, bool recursive = false,
                 bool exact = false, FileAction action = recordFile) {
    settings = RunSettings();
    settings.replace = mode == Mode::Replace;
    settings.append = mode == Mode::Append;
    settings.appendName = "out.txt";
    settings.recursive = recursive;
    handedOn.clear();
    return walkInMemory(files, specs, !exact, action).printed;
}

// Both kinds of listing: one that tells the kind of each entry alone, and
// one that describes each whole.
const bool kListings[] = {false, true};

TEST(Walk, SelectsByPatternInListingOrderAndNotThroughLinkedDirectories) {
    struct Case {
        Names specs;
        bool recursive;
        Names handedOn;
    };
    const std::vector<Case> cases = {
        {{"*.txt"}, false, {".\\A.txt", ".\\ab.txt", ".\\b.txt", ".\\c.TXT", ".\\ln.txt"}},
        {{"*.htm", "*.txt"}, false, {".\\a.htm", ".\\A.txt", ".\\ab.txt", ".\\b.txt", ".\\c.TXT", ".\\ln.txt"}},
        {{"?.txt"}, false, {".\\A.txt", ".\\b.txt", ".\\c.TXT"}},
        {{"*.*"}, false, {".\\a.htm", ".\\A.txt", ".\\ab.txt", ".\\b.txt", ".\\c.TXT", ".\\ln.txt", ".\\x"}},
        {{"x"}, false, {".\\x"}},
        {{"sub\\*.txt"}, false, {"sub\\s.txt"}},
        // A directory is found ignoring case, and shown as it was given.
        {{"SUB\\deep\\?.*"}, false, {"SUB\\deep\\d.txt"}},
        {{"nowhere\\*.txt"}, false, {}},
        {{"*.txt"}, true, {".\\A.txt", ".\\ab.txt", ".\\b.txt", ".\\c.TXT", ".\\ln.txt", ".\\sub\\s.txt",
                           ".\\sub\\deep\\d.txt"}},
        // Below a directory given with its final separator, another is added.
        {{"sub\\*.txt"}, true, {"sub\\s.txt", "sub\\\\deep\\d.txt"}},
    };
    for (bool described : kListings) {
        for (const Case& c : cases) {
            MemoryFileSystem files;
            files.describesEntries = described;
            for (const char* name : {"b.txt", "A.txt", "c.TXT", "a.htm", "ab.txt", "x"}) files.addFile(name, "v");
            files.addDirectory("sub");
            files.addFile("sub/s.txt");
            files.addDirectory("sub/deep");
            files.addFile("sub/deep/d.txt");
            files.addLink("linkdir", "sub");
            files.addLink("ln.txt", "b.txt");
            const std::string printed = walk(files, Mode::Console, c.specs, c.recursive);
            const std::string name = c.specs[0] + (c.recursive ? " -t" : "") + (described ? " described" : "");
            EXPECT_EQ(handedOn, c.handedOn) << name;
            EXPECT_EQ(printed, "") << name;
            EXPECT_EQ(files.openInputs(), 0u) << name;
        }
    }
}

TEST(Walk, PassesOverWhatNoModeConvertsWithItsNotice) {
    struct Case {
        Mode mode;
        Names specs;
        bool exact;
        Names handedOn;
        std::string printed;
    };
    const std::string vanished = "!!! Parsing impossible de .\\gone.txt (fichier disparu)\n";
    const std::string special = "!!! Parsing impossible de .\\fifo.txt (fichier sp" TXT2VB_E_ACUTE "cial)\n";
    const std::vector<Case> cases = {
        {Mode::Console, {"*.*"}, false, {".\\a.txt", ".\\ln.txt", ".\\ro.txt"},
         "!!! Parsing impossible de .\\dangling.txt (fichier disparu)\n" + special + vanished},
        {Mode::Append, {"*.*"}, false, {".\\a.txt", ".\\ln.txt", ".\\ro.txt"},
         "!!! Parsing impossible de .\\dangling.txt (fichier disparu)\n" + special + vanished},
        {Mode::Replace, {"*.*"}, false, {".\\a.txt"},
         "!!! Parsing impossible de .\\dangling.txt (lien symbolique)\n" + special + vanished +
             "!!! Parsing impossible de .\\ln.txt (lien symbolique)\n"
             "!!! Parsing impossible de .ro.txt (ReadOnly)\n"},
        // Named, a special file is read in the console modes, never replaced.
        {Mode::Console, {"fifo.txt", "ln.txt"}, true, {".\\fifo.txt", ".\\ln.txt"}, ""},
        {Mode::Replace, {"fifo.txt", "ln.txt", "ro.txt"}, true, {},
         special + "!!! Parsing impossible de .\\ln.txt (lien symbolique)\n"
                   "!!! Parsing impossible de .ro.txt (ReadOnly)\n"},
        // The tool's working files are never inputs, and need no notice.
        {Mode::Console, {".*", "_~*"}, false, {}, ""},
        {Mode::Replace, {".x.txt2vb-ABC123", "_~null932"}, true, {}, ""},
    };
    for (bool described : kListings) {
        for (const Case& c : cases) {
            MemoryFileSystem files;
            files.describesEntries = described;
            files.addFile("a.txt", "v");
            files.addLink("ln.txt", "a.txt");
            files.addLink("dangling.txt", "nothing.txt");
            files.addVanishing("gone.txt");
            files.addSpecial("fifo.txt");
            files.addFile("ro.txt", "v", true);
            files.addFile(".x.txt2vb-ABC123");
            files.addFile("_~null932");
            const std::string printed = walk(files, c.mode, c.specs, false, c.exact);
            const std::string name = std::to_string(static_cast<int>(c.mode)) + " " + c.specs[0] +
                                     (described ? " described" : "");
            EXPECT_EQ(handedOn, c.handedOn) << name;
            EXPECT_EQ(printed, c.printed) << name;
            EXPECT_EQ(files.openInputs(), 0u) << name;
        }
    }
}

TEST(Walk, NeverReadsWhatTheRunWrites) {
    for (bool described : kListings) {
        MemoryFileSystem files;
        files.describesEntries = described;
        files.addFile("a.txt");
        files.addFile("out.txt");  // the append file
        files.addFile("err.txt");
        files.setDescriptorFile(2, "err.txt");
        EXPECT_EQ(walk(files, Mode::Append, {"*.txt"}), "");
        EXPECT_EQ(handedOn, Names({".\\a.txt"})) << described;
        walk(files, Mode::Console, {"*.txt"});
        EXPECT_EQ(handedOn, Names({".\\a.txt", ".\\out.txt"})) << described;
    }
}

// A file replaced once is not replaced again when another specification
// finds it: its result holds the text converted once.
TEST(Walk, ReplacesEachFileAtMostOnce) {
    const std::vector<Names> cases = {{"*.txt", "a*"}, {"a*", "*.TXT", "?.txt"}, {"b.txt", "*.txt"}};
    const std::map<std::string, std::string> once = {{"a.txt", "\t= \"v\"\r\n"}, {"b.txt", "\t= \"w\"\r\n"}};
    for (bool described : kListings) {
        for (const Names& specs : cases) {
            MemoryFileSystem files;
            files.describesEntries = described;
            files.addFile("a.txt", "v");
            files.addFile("b.txt", "w");
            settings = RunSettings();
            settings.replace = settings.silent = 1;
            const WalkOutcome outcome = walkInMemory(files, specs);
            EXPECT_EQ(outcome.printed, "") << specs[0];
            EXPECT_EQ(files.files(), once) << specs[0] << (described ? " described" : "");
            EXPECT_EQ(files.openInputs(), 0u);
        }
    }
}

}  // namespace
