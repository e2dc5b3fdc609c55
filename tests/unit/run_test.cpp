// Every way in and out of a run keeps the same promises: standard input,
// the append file and the console, when reading or writing fails, against
// a file system held in memory.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/memory_file_system.h"
#include "support/memory_run.h"

namespace {

using Files = std::map<std::string, std::string>;
using Names = std::vector<std::string>;

struct Case {
    const char* name;
    Names args;
    std::string standardInput;  // "<closed>": none
    Names failing;
    Files after;  // out.vb starts as "HEAD\r\n"
    std::string console;
    std::string messages;
    int status;
};

const std::string kHead = "HEAD\r\n";

// The files, each long one shown by its size and start, so that a failure
// prints a bounded difference.
Files bounded(Files files) {
    for (auto& file : files) {
        const std::string& bytes = file.second;
        if (bytes.size() > 80) file.second = std::to_string(bytes.size()) + " bytes: " + bytes.substr(0, 40);
    }
    return files;
}
const std::string kAbc = "\t= \"abc\"\r\n";

const std::vector<Case> kCases = {
    {"appended", {"-a:out.vb", "-s", "-", "a.txt"}, "abc", {}, {{"out.vb", kHead + kAbc + kAbc}}, "", "", 0},
    // A failure while appending, read or write, cuts the file back.
    // (More than a block of the result was appended when the read fails.)
    {"read fails while appending", {"-a:out.vb", "-s", "-"}, std::string(100000, 'x'), {"open -"},
     {{"out.vb", kHead}}, "", "-: Input/output error\n", 2},
    {"write fails while appending", {"-a:out.vb", "-s", "a.txt"}, "", {"write"}, {{"out.vb", kHead}}, "",
     "Erreur de creation du fichier de sortie: No space left on device\n", -2},
    {"close fails after appending", {"-a:out.vb", "-s", "a.txt"}, "", {"closed"}, {{"out.vb", kHead}}, "",
     "Erreur de creation du fichier de sortie: No space left on device\n", -2},
    // Memory exhausted ends the run with status 2, the result given up.
    {"no memory while appending", {"-a:out.vb", "-s", "a.txt"}, "", {"memory"}, {{"out.vb", kHead}}, "",
     "Pas assez de m\xC3\xA9moire\n", 2},
    {"no memory while replacing", {"-r", "-s", "a.txt"}, "", {"memory"}, {{"out.vb", kHead}}, "",
     "Pas assez de m\xC3\xA9moire\n", 2},
    // Closed standard input is an input that cannot be opened.
    {"standard input closed", {"-a:out.vb", "-"}, "<closed>", {}, {{"out.vb", kHead}}, "",
     "-: Bad file descriptor\n", -1},
    {"read fails on the console", {"-s", "-"}, "abc", {"open -"}, {{"out.vb", kHead}}, "\t= \"abc",
     "-: Input/output error\n", 2},
    {"console full", {"a.txt"}, "", {}, {{"out.vb", kHead}}, "",
     "Parsing de .\\a.txt (3 octets) ... Erreur d'\xC3\xA9" "criture sur la sortie standard: No space left on device\n", -2},
    // A filter says nothing when all goes well, and says what fails.
    {"a quiet filter", {"-"}, "abc", {}, {{"out.vb", kHead}}, kAbc, "", 0},
    {"a filter of an expression", {"-decode", "-"}, "\t= \"abc\"\r\n", {}, {{"out.vb", kHead}}, "abc", "", 0},
    {"a filter of no expression", {"-decode", "-"}, "abc", {}, {{"out.vb", kHead}}, "",
     "!!! Parsing impossible de - (ligne 1, colonne 4)\n", -3},
    // Held back beyond memory, still nothing of it reaches the console.
    {"a long expression with a wrong end", {"-decode", "-"}, "\t= \"" + std::string(3000000, 'x') + "\" _\r\njunk",
     {}, {{"out.vb", kHead}}, "", "!!! Parsing impossible de - (ligne 2, colonne 1)\n", -3},
};

TEST(Run, EveryInputAndOutputKeepsItsPromises) {
    for (const Case& c : kCases) {
        MemoryFileSystem files;
        files.addFile("out.vb", kHead);
        files.addFile("a.txt", "abc");
        files.standardInput = c.standardInput;
        files.standardInputClosed = c.standardInput == "<closed>";
        files.failing = c.failing;
        const MemoryRun run = runInMemory(files, c.args, std::string(c.name) == "console full");
        Files after = c.after;
        after["a.txt"] = "abc";
        EXPECT_EQ(bounded(files.files()), bounded(after)) << c.name;
        EXPECT_EQ(run.console, c.console) << c.name;
        EXPECT_EQ(run.messages, c.messages) << c.name;
        EXPECT_EQ(run.status, c.status) << c.name;
        EXPECT_EQ(files.openInputs, 0) << c.name;
    }
}

// Standard input that is, by identity, a file the run writes is passed
// over: reading it while writing it would never end, or convert the run's
// own messages.
TEST(Run, StandardInputThatIsAnOutputIsPassedOver) {
    const std::vector<std::pair<int, Names>> cases = {{1, {"-"}}, {2, {"-"}}, {-1, {"-a:out.vb", "-"}}};
    for (const auto& [descriptor, args] : cases) {
        MemoryFileSystem files;
        files.addFile("out.vb", kHead);
        files.setDescriptorFile(0, "out.vb");
        if (descriptor > 0) files.setDescriptorFile(descriptor, "out.vb");
        const MemoryRun run = runInMemory(files, args);
        EXPECT_EQ(run.messages, "!!! Parsing impossible de - (fichier de sortie)\n") << descriptor;
        EXPECT_EQ(run.console, "") << descriptor;
        EXPECT_EQ(files.files(), Files({{"out.vb", kHead}})) << descriptor;
        EXPECT_EQ(run.status, 0) << descriptor;
    }
}

}  // namespace
