// Which files a run converts, in which order, and the notices of those it
// passes over, against a file system held in memory.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/console.h"
#include "support/memory_file_system.h"
#include "support/memory_run.h"

namespace {

using Names = std::vector<std::string>;

// The paths of the progress lines, in order, and every other line.
struct Seen {
    Names converted;
    std::string notices;
};

Seen seen(const MemoryRun& run) {
    Seen what;
    std::size_t at = 0;
    const std::string& text = run.messages;
    while (at < text.size()) {
        const std::size_t progress = text.find("Parsing de ", at);
        const std::size_t line = text.find('\n', at);
        if (progress == at) {
            const std::size_t end = text.find(" (", progress);
            what.converted.push_back(text.substr(progress + 11, end - progress - 11));
            at = text.find(" ... ", end) + 5;
            continue;
        }
        const std::size_t stop = line == std::string::npos ? text.size() : line + 1;
        if (text.compare(at, 4, "!!! ") == 0) what.notices += text.substr(at, stop - at);
        at = stop;
    }
    return what;
}

// Both kinds of listing: one that tells the kind of each entry alone, and
// one that describes each whole.
const bool kListings[] = {false, true};

TEST(Walk, SelectsByPatternInListingOrderAndNotThroughLinkedDirectories) {
    struct Case {
        Names args;
        Names converted;
    };
    const std::vector<Case> cases = {
        {{"*.txt"}, {".\\A.txt", ".\\ab.txt", ".\\b.txt", ".\\c.TXT", ".\\ln.txt"}},
        {{"*.htm", "*.txt"}, {".\\a.htm", ".\\A.txt", ".\\ab.txt", ".\\b.txt", ".\\c.TXT", ".\\ln.txt"}},
        {{"?.txt"}, {".\\A.txt", ".\\b.txt", ".\\c.TXT"}},
        {{"*.*"}, {".\\a.htm", ".\\A.txt", ".\\ab.txt", ".\\b.txt", ".\\c.TXT", ".\\ln.txt", ".\\x"}},
        {{"sub\\*.txt"}, {"sub\\s.txt"}},
        // A directory is found ignoring case, and shown as it was given.
        {{"SUB\\deep\\?.*"}, {"SUB\\deep\\d.txt"}},
        {{"nowhere\\*.txt"}, {}},
        {{"-t", "*.txt"}, {".\\A.txt", ".\\ab.txt", ".\\b.txt", ".\\c.TXT", ".\\ln.txt", ".\\sub\\s.txt",
                           ".\\sub\\deep\\d.txt"}},
        // Below a directory given with its final separator, another is added.
        {{"-t", "sub\\*.txt"}, {"sub\\s.txt", "sub\\\\deep\\d.txt"}},
        // Names given exactly come in their order, between the rows.
        {{"x", "*.htm", "b.txt", "sub/s.txt", "a*.txt"},
         {".\\x", ".\\a.htm", ".\\A.txt", ".\\ab.txt", ".\\b.txt", "sub/\\s.txt"}},
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
            const MemoryRun run = runInMemory(files, c.args);
            const std::string name = c.args.back() + (described ? " described" : "");
            EXPECT_EQ(seen(run).converted, c.converted) << name;
            EXPECT_EQ(seen(run).notices, "") << name;
            EXPECT_EQ(run.status, 0) << name;
            EXPECT_EQ(files.openInputs, 0) << name;
        }
    }
}

TEST(Walk, PassesOverWhatNoModeConvertsWithItsNotice) {
    struct Case {
        Names args;
        Names converted;
        std::string notices;
    };
    const std::string vanished = "!!! Parsing impossible de .\\gone.txt (fichier disparu)\n";
    const std::string special = "!!! Parsing impossible de .\\fifo.txt (fichier sp" TXT2VB_E_ACUTE "cial)\n";
    const std::string dangling = "!!! Parsing impossible de .\\dangling.txt (fichier disparu)\n";
    const std::vector<Case> cases = {
        {{"*.*"}, {".\\a.txt", ".\\ln.txt", ".\\ro.txt"}, dangling + special + vanished},
        {{"-a:out", "*.txt"}, {".\\a.txt", ".\\ln.txt", ".\\ro.txt"}, dangling + special + vanished},
        {{"-r", "*.*"}, {".\\a.txt"},
         "!!! Parsing impossible de .\\dangling.txt (lien symbolique)\n" + special + vanished +
             "!!! Parsing impossible de .\\ln.txt (lien symbolique)\n"
             "!!! Parsing impossible de .ro.txt (ReadOnly)\n"},
        // Named, a special file is read in the console modes, never replaced.
        {{"fifo.txt", "ln.txt"}, {".\\fifo.txt", ".\\ln.txt"}, ""},
        {{"-r", "fifo.txt", "ln.txt", "ro.txt"}, {},
         special + "!!! Parsing impossible de .\\ln.txt (lien symbolique)\n"
                   "!!! Parsing impossible de .ro.txt (ReadOnly)\n"},
        // The tool's working files are never inputs, and need no notice.
        {{".*", "_~*"}, {}, ""},
        {{"-r", ".x.txt2vb-ABC123", "_~null932"}, {}, ""},
        // A directory named exactly holds nothing to convert.
        {{"sub", "a.txt"}, {".\\a.txt"}, "!!! Parsing impossible de sub (r" TXT2VB_E_ACUTE "pertoire)\n"},
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
            files.addDirectory("sub");
            const MemoryRun run = runInMemory(files, c.args);
            const std::string name = c.args.front() + " " + c.args.back() + (described ? " described" : "");
            EXPECT_EQ(seen(run).converted, c.converted) << name;
            EXPECT_EQ(seen(run).notices, c.notices) << name;
            EXPECT_EQ(run.status, 0) << name;
            EXPECT_EQ(files.openInputs, 0) << name;
        }
    }
}

// A directory that cannot be read is reported and the walk goes on without
// it; the run then ends as when an input cannot be opened, unless an
// input was no expression.
TEST(Walk, AnUnreadableDirectoryIsReportedAndFailsTheRun) {
    struct Case {
        Names args;
        std::string failing;
        Names converted;
        int status;
    };
    const std::vector<Case> cases = {
        {{"-t", "*.txt"}, "list sub *.txt", {".\\a.txt"}, -1},
        {{"-t", "*.txt"}, "list sub *.*", {".\\a.txt", ".\\sub\\s.txt"}, -1},
        {{"-t", "-decode", "*.txt"}, "list sub *.txt", {".\\a.txt"}, -3},
    };
    for (const Case& c : cases) {
        MemoryFileSystem files;
        files.addFile("a.txt", "v");
        files.addDirectory("sub");
        files.addFile("sub/s.txt");
        files.failing = {c.failing};
        const MemoryRun run = runInMemory(files, c.args);
        EXPECT_EQ(seen(run).converted, c.converted) << c.failing;
        EXPECT_EQ(run.status, c.status) << c.failing;
        EXPECT_NE(seen(run).notices.find("!!! Lecture impossible de .\\sub\\"), std::string::npos) << c.failing;
    }
}

// What the run writes is never one of its inputs: the append file, and
// the files standard output and standard error go to.
TEST(Walk, NeverReadsWhatTheRunWrites) {
    for (bool described : kListings) {
        MemoryFileSystem files;
        files.describesEntries = described;
        files.addFile("a.txt");
        files.addFile("out.txt");  // the append file
        files.addFile("err.txt");
        files.addFile("log.txt");
        files.setDescriptorFile(2, "err.txt");
        files.setDescriptorFile(1, "log.txt");
        EXPECT_EQ(seen(runInMemory(files, {"-a:out.txt", "*.txt"})).converted, Names({".\\a.txt"})) << described;
        EXPECT_EQ(seen(runInMemory(files, {"*.txt"})).converted, Names({".\\a.txt", ".\\out.txt"})) << described;
    }
}

// A file replaced once is not replaced again when another specification
// finds it: its result holds the text converted once.
TEST(Walk, ReplacesEachFileAtMostOnce) {
    const std::vector<Names> cases = {{"*.txt", "a*"}, {"a*", "*.TXT", "?.txt"}, {"b.txt", "*.txt"}};
    const std::map<std::string, std::string> once = {{"a.txt", "\t= \"v\"\r\n"}, {"b.txt", "\t= \"w\"\r\n"}};
    for (bool described : kListings) {
        for (Names args : cases) {
            MemoryFileSystem files;
            files.describesEntries = described;
            files.addFile("a.txt", "v");
            files.addFile("b.txt", "w");
            args.insert(args.begin(), {"-r", "-s"});
            const MemoryRun run = runInMemory(files, args);
            EXPECT_EQ(run.messages, "") << args[2];
            EXPECT_EQ(files.files(), once) << args[2] << (described ? " described" : "");
            EXPECT_EQ(files.openInputs, 0);
        }
    }
}

}  // namespace
