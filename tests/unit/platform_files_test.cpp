// Wildcard search and file operations against a real file system, on
// every system. Every test works in a fresh directory of its own, removed
// afterwards. What only one implementation does (names looked up ignoring
// case on POSIX, links, long paths on Windows) is tested beside it, in
// platform_posix_test.cpp and platform_win32_test.cpp.
#include "platform/descriptors.h"
#include "platform/file_ops.h"
#include "platform/file_search.h"
#include "platform/names.h"
#include "platform/working_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/scratch_files.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace {

class PlatformFilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()) << "no scratch directory: " << std::strerror(errno); }
    ScratchDir dir;
};

// ------------------------------------------------------------- wildcardMatch

struct MatchCase {
    const char* pattern;
    const char* name;
    bool matches;
};

TEST(PlatformWorkingNames, WhichNamesAreTheTools) {
    const struct {
        const char* name;
        bool working;
    } cases[] = {
        {".a.txt.txt2vb-Ab12Cd", true},
        {"..txt2vb-000000", true},
        {"._~null932", false},
        {"_~null932", true},
        {"_~NULL932", true},
        {"_~null932.txt", false},
        {"a.txt.txt2vb-Ab12Cd", false},   // not hidden
        {".a.txt.txt2vb-Ab12C", false},   // five characters
        {".a.txt.txt2vb-Ab12Cde", false}, // seven
        {".a.txt.txt2vb-Ab1-Cd", false},  // not a letter or digit
        {".a.txt.TXT2VB-Ab12Cd", false},
        {".a.txt2vb-Ab12Cd.txt", false},
        {"_~vask827.tmp", false},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::isWorkingFileName(c.name), c.working) << c.name;
}

TEST(PlatformWorkingNames, ResultNamesAreFreshWorkingNamesThatFit) {
    for (const std::string& target : {std::string("a.txt"), std::string(""), std::string(250, 'n')}) {
        const std::string name = platform::resultNameFor(target);
        EXPECT_TRUE(platform::isWorkingFileName(name)) << name;
        EXPECT_EQ(name.compare(0, 1 + std::min<std::size_t>(target.size(), 200), "." + target.substr(0, 200)), 0);
        EXPECT_LE(name.size(), 255u);
        EXPECT_NE(platform::resultNameFor(target), name);
    }
}

TEST(PlatformWildcard, MatchTable) {
    const MatchCase cases[] = {
        {"*", "anything.txt", true},
        {"*", "", true},
        {"*", ".hidden", true},
        {"*.*", "noext", true},  // every name, as on Windows
        {"*.*", "a.b", true},
        {"*.*", "", true},
        {"*.txt", "a.txt", true},
        {"*.txt", "A.TXT", true},
        {"*.TXT", "a.txt", true},
        {"*.txt", ".txt", true},
        {"*.txt", "a.txt.bak", false},
        {"*.htm", "x.html", false},
        {"*.html", "x.htm", false},
        {"?", "a", true},
        {"?", "", false},
        {"?", "ab", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"???.txt", "abc.txt", true},
        {"???.txt", "ab.txt", false},
        {"", "", true},
        {"", "a", false},
        {"abc", "ABC", true},
        {"abc", "abd", false},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "abc", true},
        {"a*b*c", "acb", false},
        {"*a*b*", "xxaxxbxx", true},
        {"*a*b*", "xxbxxaxx", false},
        {"**", "x", true},
        {"*?", "", false},
        {"*?", "x", true},
        {"*x", "xxxx", true},
        {"*ab", "aab", true},
        {"*.*.*", "a.b.c", true},
        {"*.*.*", "a.b", false},
        {"file*.?", "FILE123.c", true},
        {"file*.?", "file123.cc", false},
        {"[a]", "[A]", true},  // no character classes: brackets are plain
        {"[a]", "a", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::wildcardMatch(c.pattern, c.name), c.matches)
            << "pattern \"" << c.pattern << "\" name \"" << c.name << "\"";
    }
}

TEST(PlatformWildcard, ManyStarsStayFast) {
    const std::string longRun(200000, 'a');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::wildcardMatch("*a*a*a*a*a*b", longRun.c_str()));
    EXPECT_FALSE(platform::wildcardMatch("*a*a*a*a*a*a*a*a*a*a*a*a*b", longRun.c_str()));
    EXPECT_TRUE(platform::wildcardMatch("*a*a*a*a*a*", longRun.c_str()));
    EXPECT_TRUE(platform::wildcardMatch("*a*a*a*a*a*b", (longRun + "b").c_str()));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 2000);
}

// ----------------------------------------------------------------- findFiles

class PlatformFindFiles : public PlatformFilesTest {
protected:
    void SetUp() override {
        PlatformFilesTest::SetUp();
        ASSERT_TRUE(writeFile(dir / "b.txt", "hello"));
        ASSERT_TRUE(writeFile(dir / "a.txt", ""));
        ASSERT_TRUE(writeFile(dir / "C.TXT", ""));
        ASSERT_TRUE(writeFile(dir / "readonly.txt", "r"));
        ASSERT_TRUE(setReadOnly(dir / "readonly.txt", true));
        ASSERT_TRUE(writeFile(dir / "notes.md", ""));
        ASSERT_TRUE(writeFile(dir / "noext", ""));
        ASSERT_TRUE(makeDirectory(dir / "Sub"));
        ASSERT_TRUE(writeFile(dir / "Sub/inner.txt", ""));
    }

    static const platform::DirectoryEntry* find(const std::vector<platform::DirectoryEntry>& entries,
                                                const std::string& name) {
        for (const auto& entry : entries) {
            if (entry.name == name) return &entry;
        }
        return nullptr;
    }
    static std::vector<std::string> namesOf(const std::vector<platform::DirectoryEntry>& entries) {
        std::vector<std::string> names;
        for (const auto& entry : entries) names.push_back(entry.name);
        return names;
    }
};

TEST_F(PlatformFindFiles, OpenDirectoryIsADirectoryOrNothing) {
    const struct {
        const char* name;
        bool opened;
        int error;
    } cases[] = {
        {"Sub", true, 0},
        {"b.txt", false, ENOTDIR},
        {"missing", false, ENOENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform::FileLocation location = dir.at(c.name);
        errno = 0;
        EXPECT_EQ(platform::openDirectory(location, false), c.opened);
        EXPECT_EQ(location.self != nullptr, c.opened);
        if (!c.opened) {
            EXPECT_EQ(errno, c.error);
        }
    }
    // What is found in an open directory is reached through it.
    platform::FileLocation sub = dir.at("Sub");
    ASSERT_TRUE(platform::openDirectory(sub, false));
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(sub, "*.txt", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "inner.txt");
    EXPECT_TRUE(platform::fileIdentity(entries[0].location) == platform::fileIdentity(dir.at("Sub/inner.txt")));
    EXPECT_TRUE(platform::fileIdentity(sub) == platform::fileIdentity(dir.at("Sub")));
}

TEST_F(PlatformFindFiles, SortedIgnoringCase) {
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(platform::locatePath(withBackslashes(dir.path()) + "\\"), "*.txt", entries));
    const std::vector<std::string> expected = {"a.txt", "b.txt", "C.TXT", "readonly.txt"};
    EXPECT_EQ(namesOf(entries), expected);
}

TEST_F(PlatformFindFiles, EntriesDescribed) {
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(platform::locatePath(dir.path()), "*", entries));
    EXPECT_EQ(entries.size(), 7u);  // "." and ".." left out
    // The kind comes with the listing; the rest may wait for a look.
    for (auto& entry : entries) {
        EXPECT_EQ(entry.isDirectory, entry.name == "Sub") << entry.name;
        EXPECT_EQ(entry.isRegular, entry.name != "Sub") << entry.name;
        if (!entry.described) {
            ASSERT_TRUE(platform::describeEntry(entry)) << entry.name;
        }
        EXPECT_TRUE(entry.described);
    }

    const auto* text = find(entries, "b.txt");
    ASSERT_NE(text, nullptr);
    EXPECT_FALSE(text->isDirectory);
    EXPECT_FALSE(text->isReadOnly);
    EXPECT_FALSE(text->isLink);
    EXPECT_EQ(text->size, 5);
    EXPECT_TRUE(text->identity.exists);
    EXPECT_TRUE(text->identity == platform::fileIdentity(dir.at("b.txt")));

    const auto* readOnly = find(entries, "readonly.txt");
    ASSERT_NE(readOnly, nullptr);
    EXPECT_TRUE(readOnly->isReadOnly);  // the permission bit (even for root), or the attribute
    EXPECT_FALSE(readOnly->isDirectory);
    EXPECT_EQ(readOnly->size, 1);

    const auto* sub = find(entries, "Sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->isDirectory);
    EXPECT_FALSE(sub->isLink);
    EXPECT_TRUE(sub->identity == platform::fileIdentity(dir.at("Sub")));
    EXPECT_FALSE(sub->identity == text->identity);
}

// What the opened file tells completes an entry as a look at its name does.
TEST_F(PlatformFindFiles, OpenedFileCompletesAnEntry) {
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(platform::locatePath(dir.path()), "*.txt", entries));
    for (const auto& listed : entries) {
        platform::DirectoryEntry looked = listed;
        ASSERT_TRUE(platform::describeEntry(looked)) << listed.name;
        platform::DirectoryEntry opened = listed;
        int fd = platform::openInput(listed.location, true);
        ASSERT_GE(fd, 0) << listed.name;
        platform::FileFacts facts;
        ASSERT_TRUE(platform::describeDescriptor(fd, facts));
        platform::closeDescriptor(fd);
        platform::completeEntry(opened, facts);
        EXPECT_TRUE(opened.described);
        EXPECT_EQ(opened.isRegular, looked.isRegular) << listed.name;
        EXPECT_EQ(opened.isReadOnly, looked.isReadOnly) << listed.name;
        EXPECT_EQ(opened.size, looked.size) << listed.name;
        EXPECT_TRUE(opened.identity == looked.identity) << listed.name;
        EXPECT_TRUE(opened.identity == platform::fileIdentity(listed.location)) << listed.name;
        EXPECT_EQ(opened.isReadOnly, listed.name == "readonly.txt") << listed.name;
        EXPECT_EQ(opened.size, listed.name == "b.txt" ? 5 : listed.name == "readonly.txt" ? 1 : 0) << listed.name;
    }
    EXPECT_EQ(entries.size(), 4u);
}

TEST_F(PlatformFindFiles, DirectoriesOnlyKeepsEveryDirectory) {
    ASSERT_TRUE(makeDirectory(dir / "another.txt"));
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(platform::locatePath(dir.path()), "*", entries, true));
    std::vector<std::string> directories;
    for (const auto& entry : entries) {
        if (entry.isDirectory) directories.push_back(entry.name);
    }
    EXPECT_EQ(directories, (std::vector<std::string>{"another.txt", "Sub"}));
    // Plain files may be left out; those kept are described as they are.
    for (const auto& entry : entries) {
        if (entry.name == "b.txt") {
            EXPECT_EQ(entry.size, 5);
        }
    }
    ASSERT_TRUE(platform::findFiles(platform::locatePath(dir.path()), "*", entries, false));
    EXPECT_EQ(entries.size(), 8u);
}

TEST_F(PlatformFindFiles, StarDotStarFindsNamesWithoutDot) {
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(platform::locatePath(dir.path()), "*.*", entries));
    EXPECT_EQ(entries.size(), 7u);
    EXPECT_NE(find(entries, "noext"), nullptr);
    EXPECT_NE(find(entries, "Sub"), nullptr);
}

TEST_F(PlatformFindFiles, PatternsMatchIgnoringCase) {
    const struct {
        const char* pattern;
        std::vector<std::string> names;
    } cases[] = {
        {"*.TXT", {"a.txt", "b.txt", "C.TXT", "readonly.txt"}},
        {"?.txt", {"a.txt", "b.txt", "C.TXT"}},
        {"NOTES.MD", {"notes.md"}},
        {"n*", {"noext", "notes.md"}},
        {"SUB", {"Sub"}},
        {"*.htm", {}},
    };
    for (const auto& c : cases) {
        std::vector<platform::DirectoryEntry> entries;
        EXPECT_TRUE(platform::findFiles(platform::locatePath(dir.path()), c.pattern, entries)) << c.pattern;
        EXPECT_EQ(namesOf(entries), c.names) << c.pattern;
    }
}

TEST_F(PlatformFindFiles, DirectoryLookedUpIgnoringCase) {
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(platform::locatePath(withBackslashes(dir.path()) + "\\SUB"), "*.TXT", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "inner.txt");
}

TEST_F(PlatformFindFiles, RelativeSearchUsesCurrentDirectory) {
    InDirectory inside(dir.path());
    ASSERT_TRUE(inside.ok());
    const struct {
        const char* directory;
        const char* pattern;
        const char* name;
    } cases[] = {
        {".", "*.MD", "notes.md"},   {".\\", "*.md", "notes.md"},       {"./", "notes.*", "notes.md"},
        {"Sub\\", "*", "inner.txt"}, {"sub/../", "*.md", "notes.md"},
    };
    for (const auto& c : cases) {
        const std::string search = std::string(c.directory) + " " + c.pattern;
        std::vector<platform::DirectoryEntry> entries;
        ASSERT_TRUE(platform::findFiles(platform::locatePath(c.directory), c.pattern, entries)) << search;
        ASSERT_EQ(entries.size(), 1u) << search;
        EXPECT_EQ(entries[0].name, c.name) << search;
    }
}

TEST_F(PlatformFindFiles, NoMatchIsNoFailureAndClearsEntries) {
    std::vector<platform::DirectoryEntry> entries(3);
    EXPECT_TRUE(platform::findFiles(platform::locatePath(dir.path()), "*.htm", entries));
    EXPECT_TRUE(entries.empty());
    entries.resize(3);
    EXPECT_TRUE(platform::findFiles(platform::locatePath(dir.path()), "absent.txt", entries));  // no wildcard
    EXPECT_TRUE(entries.empty());
}

TEST_F(PlatformFindFiles, MissingDirectoryIsNotAFailure) {
    std::vector<platform::DirectoryEntry> entries(3);
    EXPECT_TRUE(platform::findFiles(dir.at("missing"), "*.txt", entries));
    EXPECT_TRUE(entries.empty());
    entries.resize(3);
    EXPECT_TRUE(platform::findFiles(dir.at("b.txt"), "*", entries));  // not a directory
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(platform::findFiles(dir.at("missing"), "inner.txt", entries));  // no wildcard
    EXPECT_TRUE(entries.empty());
}

// An argument read exactly as written: split at the system's separator, an
// entry only when that very path exists.
TEST_F(PlatformFindFiles, ExactPathsOfArguments) {
    ASSERT_TRUE(writeFile(dir / "a;b.txt", "ab"));
    InDirectory inside(dir.path());
    ASSERT_TRUE(inside.ok());
    const struct {
        const char* path;
        bool exists, isDirectory;
        const char* directory;
        const char* name;
    } cases[] = {
        {"a;b.txt", true, false, "", "a;b.txt"},
        {"Sub/inner.txt", true, false, "Sub/", "inner.txt"},
        {"./Sub/inner.txt", true, false, "./Sub/", "inner.txt"},
        {"Sub", true, true, "", "Sub"},
        {"Sub/", true, true, "Sub/", ""},
        {".", true, true, "", "."},
        {"*.txt", false, false, "", ""},
        {"a;b.txt;x", false, false, "", ""},
        {"missing", false, false, "", ""},
        {"", false, false, "", ""},
    };
    for (const auto& c : cases) {
        const platform::ExactPath exact = platform::examineExactPath(c.path);
        EXPECT_EQ(exact.exists, c.exists) << c.path;
        if (!c.exists) continue;
        EXPECT_EQ(exact.isDirectory, c.isDirectory) << c.path;
        if (c.isDirectory) continue;
        EXPECT_EQ(exact.directory, c.directory) << c.path;
        EXPECT_EQ(exact.name, c.name) << c.path;
    }
}

// One name, taken as it stands: no wildcard, no list.
TEST_F(PlatformFindFiles, ExactNameFindsThatEntryAlone) {
    ASSERT_TRUE(writeFile(dir / "a;b.txt", "ab"));
    InDirectory inside(dir.path());
    ASSERT_TRUE(inside.ok());
    const struct {
        const char* directory;
        const char* name;
        const char* found;  // nullptr: nothing
    } cases[] = {
        {"", "a;b.txt", "a;b.txt"}, {".", "b.txt", "b.txt"}, {"Sub/", "inner.txt", "inner.txt"},
        {"", "*.txt", nullptr},     {"", "a?b.txt", nullptr}, {"", "absent", nullptr},
        {"missing/", "b.txt", nullptr},
    };
    for (const auto& c : cases) {
        std::vector<platform::DirectoryEntry> entries(2);
        EXPECT_TRUE(platform::findExactName(platform::locateExactDirectory(c.directory), c.name, entries)) << c.name;
        if (c.found == nullptr) {
            EXPECT_TRUE(entries.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(entries.size(), 1u) << c.name;
        EXPECT_EQ(entries[0].name, c.found);
        EXPECT_TRUE(entries[0].isRegular) << c.name;
        EXPECT_FALSE(entries[0].isDirectory) << c.name;
    }
}

TEST_F(PlatformFindFiles, ListingIsTakenWhole) {
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(platform::locatePath(dir.path()), "*.md", entries));
    ASSERT_TRUE(writeFile(dir / "later.md", ""));
    EXPECT_EQ(entries.size(), 1u);
    ASSERT_TRUE(platform::findFiles(platform::locatePath(dir.path()), "*.md", entries));
    EXPECT_EQ(entries.size(), 2u);
}

// ------------------------------------------------------ moveFile, removeFile

TEST_F(PlatformFilesTest, RemoveFile) {
    ASSERT_TRUE(writeFile(dir / "gone.txt", "x"));
    EXPECT_TRUE(platform::removeFile(platform::locatePath(withBackslashes(dir.path()) + "\\GONE.TXT")));
    EXPECT_FALSE(exists(dir / "gone.txt"));
    errno = 0;
    EXPECT_FALSE(platform::removeFile(dir.at("gone.txt")));
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(PlatformFilesTest, MoveReplacesTarget) {
    ASSERT_TRUE(writeFile(dir / "source.tmp", "new content"));
    ASSERT_TRUE(writeFile(dir / "target.txt", "old"));
    const platform::FileLocation otherCase = platform::locatePath(withBackslashes(dir.path()) + "\\TARGET.TXT");
    ASSERT_TRUE(platform::moveFile(dir.at("source.tmp"), otherCase));
    // The existing name was found and replaced; it keeps its case.
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"target.txt"});
    EXPECT_EQ(readFile(dir / "target.txt"), "new content");
}

TEST_F(PlatformFilesTest, MoveToAFreeName) {
    ASSERT_TRUE(writeFile(dir / "source.tmp", "content"));
    ASSERT_TRUE(platform::moveFile(dir.at("source.tmp"), dir.at("New Name.vb")));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"New Name.vb"});
    EXPECT_EQ(readFile(dir / "New Name.vb"), "content");
}

TEST_F(PlatformFilesTest, MoveNeedsNoQuoting) {
    // Characters a command interpreter would read; each system's own set of
    // what a name may hold.
    const char* names[] = {
        "it's quoted.txt", "with  spaces .txt", "$HOME and $(echo x).txt", "`tick`;&^%!.txt", "-dash.txt",
        "(paren) [bracket] {brace}.txt",
#if !defined(_WIN32)
        "it's \"quoted\".txt", "line\nfeed.txt", "|<>*?.txt",
#endif
    };
    for (const char* name : names) {
        const std::string source = dir / (std::string(name) + ".src");
        const std::string target = dir / name;
        ASSERT_TRUE(writeFile(source, name)) << name;
        ASSERT_TRUE(writeFile(target, "old")) << name;
        EXPECT_TRUE(platform::moveFile(platform::locatePath(source), platform::locatePath(target))) << name;
        EXPECT_FALSE(exists(source)) << name;
        EXPECT_EQ(readFile(target), name);
    }
    EXPECT_EQ(namesIn(dir.path()).size(), sizeof names / sizeof names[0]);
}

TEST_F(PlatformFilesTest, FailedMoveLeavesSource) {
    ASSERT_TRUE(writeFile(dir / "keep.txt", "keep"));
    errno = 0;
    EXPECT_FALSE(platform::moveFile(dir.at("keep.txt"), dir.at("no/such/dir/keep.txt")));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(readFile(dir / "keep.txt"), "keep");
    errno = 0;
    EXPECT_FALSE(platform::moveFile(dir.at("absent.txt"), dir.at("keep.txt")));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(readFile(dir / "keep.txt"), "keep");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"keep.txt"});
}

// Moves between two file systems, where a rename cannot do the work: the
// move is refused and nothing is copied. /dev/shm is a file system of its
// own on Linux; under Wine, Z: is the Unix root.
class PlatformCrossDeviceMove : public PlatformFilesTest {
protected:
    void SetUp() override {
        PlatformFilesTest::SetUp();
#if defined(_WIN32)
        const std::string base = "Z:\\dev\\shm";
#else
        const std::string base = "/dev/shm";
#endif
        const platform::FileIdentity there = platform::fileIdentity(platform::locatePath(base));
        const platform::FileIdentity here = platform::fileIdentity(platform::locatePath(dir.path()));
        if (!there.exists || !here.exists || there.device == here.device) {
            GTEST_SKIP() << dir.path() << " and " << base << " are not two file systems here";
        }
        other = std::make_unique<ScratchDir>(base);
        ASSERT_TRUE(other->ok()) << "no scratch directory in " << base << ": " << std::strerror(errno);
    }
    std::unique_ptr<ScratchDir> other;
};

TEST_F(PlatformCrossDeviceMove, RefusedAndNothingCopied) {
    for (bool replaceExisting : {true, false}) {
        SCOPED_TRACE(replaceExisting ? "replacing" : "to a free name");
        ASSERT_TRUE(writeFile(dir / "data.bin", "data"));
        if (replaceExisting) {
            ASSERT_TRUE(writeFile(*other / "data.bin", "old"));
        }
        errno = 0;
        EXPECT_FALSE(platform::moveFile(dir.at("data.bin"), other->at("data.bin"), replaceExisting));
        EXPECT_EQ(errno, EXDEV);
        EXPECT_EQ(readFile(dir / "data.bin"), "data");
        EXPECT_EQ(namesIn(other->path()),
                  replaceExisting ? std::vector<std::string>{"data.bin"} : std::vector<std::string>{});
        if (replaceExisting) {
            EXPECT_EQ(readFile(*other / "data.bin"), "old");
            ASSERT_TRUE(platform::removeFile(other->at("data.bin")));
        }
    }
}

// -------------------------------------------------------------- fileIdentity

TEST_F(PlatformFilesTest, IdentitySameFileThroughSeveralPaths) {
    ASSERT_TRUE(writeFile(dir / "file.txt", "x"));
    std::error_code error;
    std::filesystem::create_hard_link(dir / "file.txt", dir / "hard.txt", error);
    ASSERT_FALSE(error) << error.message();
    const platform::FileIdentity original = platform::fileIdentity(dir.at("file.txt"));
    ASSERT_TRUE(original.exists);
    EXPECT_TRUE(original == platform::fileIdentity(platform::locatePath(withBackslashes(dir.path()) + "\\FILE.TXT")));
    EXPECT_TRUE(original == platform::fileIdentity(dir.at("hard.txt")));
    EXPECT_TRUE(original == platform::fileIdentity(dir.at("./file.txt")));

    for (platform::OpenMode mode : {platform::OpenMode::Read, platform::OpenMode::Append}) {
        int fd = platform::openFile((dir / "file.txt").c_str(), mode);
        ASSERT_GE(fd, 0) << static_cast<int>(mode);
        EXPECT_TRUE(original == platform::descriptorIdentity(fd)) << static_cast<int>(mode);
        platform::closeDescriptor(fd);
    }
}

TEST_F(PlatformFilesTest, IdentityDiffers) {
    ASSERT_TRUE(writeFile(dir / "one.txt", "x"));
    ASSERT_TRUE(writeFile(dir / "two.txt", "x"));
    const platform::FileIdentity one = platform::fileIdentity(dir.at("one.txt"));
    const platform::FileIdentity two = platform::fileIdentity(dir.at("two.txt"));
    const platform::FileIdentity missing = platform::fileIdentity(dir.at("missing.txt"));
    EXPECT_TRUE(one.exists);
    EXPECT_TRUE(two.exists);
    EXPECT_FALSE(one == two);
    EXPECT_TRUE(one != two);
    EXPECT_FALSE(missing.exists);
    EXPECT_FALSE(missing == one);
    EXPECT_FALSE(one == missing);
    EXPECT_FALSE(missing == missing);
    EXPECT_FALSE(platform::descriptorIdentity(-1).exists);
}

TEST_F(PlatformFilesTest, MovedFileKeepsItsIdentity) {
    ASSERT_TRUE(writeFile(dir / "before.txt", "x"));
    const platform::FileIdentity before = platform::fileIdentity(dir.at("before.txt"));
    ASSERT_TRUE(platform::moveFile(dir.at("before.txt"), dir.at("after.txt")));
    EXPECT_TRUE(before == platform::fileIdentity(dir.at("after.txt")));
    EXPECT_FALSE(platform::fileIdentity(dir.at("before.txt")).exists);
}

}  // namespace
