// Paths, wildcard search and file operations against a real file system.
// Every test works in a fresh directory of its own, removed afterwards.
#include "platform/file_ops.h"
#include "platform/file_search.h"
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

int removeOne(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

// A directory made with mkdtemp and removed, with all it holds, on
// destruction.
class TempDir {
public:
    explicit TempDir(const std::string& base = "/tmp") {
        std::string pattern = base + "/txt2vb-test-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (::mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
    }
    ~TempDir() {
        if (!path_.empty()) ::nftw(path_.c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Runs a scope inside another directory and goes back afterwards.
class InDirectory {
public:
    explicit InDirectory(const std::string& directory) {
        std::vector<char> buffer(256);
        while (::getcwd(buffer.data(), buffer.size()) == nullptr && errno == ERANGE) buffer.resize(buffer.size() * 2);
        previous_ = buffer.data();
        entered_ = ::chdir(directory.c_str()) == 0;
    }
    ~InDirectory() {
        if (entered_ && ::chdir(previous_.c_str()) != 0) std::abort();
    }
    InDirectory(const InDirectory&) = delete;
    InDirectory& operator=(const InDirectory&) = delete;

    bool ok() const { return entered_; }

private:
    std::string previous_;
    bool entered_ = false;
};

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    ASSERT_TRUE(out.good()) << path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

std::string withBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::vector<std::string> namesIn(const std::string& directory) {
    std::vector<std::string> names;
    std::vector<platform::DirectoryEntry> entries;
    platform::findFiles(directory + "/*", entries);
    for (const auto& entry : entries) names.push_back(entry.name);
    return names;
}

class PlatformFilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()) << "mkdtemp failed: " << std::strerror(errno); }
    TempDir dir;
};

// ---------------------------------------------------------------- nativePath

class PlatformNativePath : public PlatformFilesTest {
protected:
    void SetUp() override {
        PlatformFilesTest::SetUp();
        ASSERT_EQ(::mkdir((dir / "src").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((dir / "src/Lib").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
        writeFile(dir / "src/x.txt", "x");
        writeFile(dir / "src/Lib/Deep.TXT", "deep");
        writeFile(dir / "a", "lower");
        writeFile(dir / "A", "upper");
        writeFile(dir / "aB", "");
        writeFile(dir / "AB", "");
    }
};

struct PathCase {
    const char* input;
    const char* expected;
};

TEST_F(PlatformNativePath, RelativePathsResolveIgnoringCase) {
    const PathCase cases[] = {
        {"", ""},
        {"SRC\\x.txt", "src/x.txt"},
        {"src/LIB/deep.txt", "src/Lib/Deep.TXT"},
        {"Src\\lib\\DEEP.txt", "src/Lib/Deep.TXT"},
        {".\\SRC\\X.TXT", "./src/x.txt"},
        {"a", "a"},                                      // exact match wins over "A"
        {"A", "A"},                                      // and the other way round
        {"aB", "aB"},                                    // exact
        {"ab", "AB"},                                    // no exact: byte order decides
        {"Ab", "AB"},
        {"SRC\\\\Lib", "src/Lib"},                       // doubled separators
        {"SRC//LIB\\/\\deep.txt", "src/Lib/Deep.TXT"},
        {"src\\New File.TXT", "src/New File.TXT"},       // unmatched: kept as written
        {"Missing\\DIR\\f.txt", "Missing/DIR/f.txt"},
        {"SUB\\", "sub/"},                               // trailing separator kept
        {"SUB\\\\", "sub/"},
        {"src\\..\\SUB", "src/../sub"},                  // "." and ".." as written
        {".", "."},
        {"..", ".."},
        {".\\", "./"},
    };
    InDirectory inside(dir.path());
    ASSERT_TRUE(inside.ok());
    for (const auto& c : cases) {
        EXPECT_EQ(platform::nativePath(c.input), c.expected) << "input: " << c.input;
    }
}

TEST_F(PlatformNativePath, RootsAndDrivePrefixes) {
    const std::string windowsDir = withBackslashes(dir.path());  // starts with '\'
    const struct {
        std::string input;
        std::string expected;
    } cases[] = {
        {"\\", "/"},
        {"/", "/"},
        {"c:", "/"},
        {"C:\\", "/"},
        {"c:/", "/"},
        {"c:TMP", "/tmp"},
        {"c:\\TMP\\", "/tmp/"},
        {"\\\\tmp", "/tmp"},
        {"C:" + windowsDir + "\\SRC\\X.TXT", dir / "src/x.txt"},
        {"c:" + windowsDir.substr(1) + "\\src\\lib", dir / "src/Lib"},  // "c:tmp\..."
        {windowsDir + "\\sub\\", dir / "sub/"},
        {dir / "SRC/lib/deep.txt", dir / "src/Lib/Deep.TXT"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::nativePath(c.input), c.expected) << "input: " << c.input;
    }
}

TEST_F(PlatformNativePath, LongPathsHaveNoLengthLimit) {
    std::string input;
    std::string expected;
    for (int i = 0; i < 1500; ++i) {
        input += "Component\\";
        expected += "Component/";
    }
    input += "file.txt";
    expected += "file.txt";
    InDirectory inside(dir.path());
    ASSERT_TRUE(inside.ok());
    EXPECT_EQ(platform::nativePath(input), expected);
}

// ------------------------------------------------------------- wildcardMatch

struct MatchCase {
    const char* pattern;
    const char* name;
    bool matches;
};

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
        writeFile(dir / "b.txt", "hello");
        writeFile(dir / "A.txt", "");
        writeFile(dir / "a.txt", "");
        writeFile(dir / "C.TXT", "");
        writeFile(dir / "readonly.txt", "r");
        ASSERT_EQ(::chmod((dir / "readonly.txt").c_str(), 0444), 0);
        writeFile(dir / "notes.md", "");
        writeFile(dir / "noext", "");
        ASSERT_EQ(::mkdir((dir / "Sub").c_str(), 0755), 0);
        writeFile(dir / "Sub/inner.txt", "");
        ASSERT_EQ(::symlink("Sub", (dir / "link").c_str()), 0);
        ASSERT_EQ(::symlink("nowhere", (dir / "dangling").c_str()), 0);
    }

    static const platform::DirectoryEntry* find(const std::vector<platform::DirectoryEntry>& entries,
                                                const std::string& name) {
        for (const auto& entry : entries) {
            if (entry.name == name) return &entry;
        }
        return nullptr;
    }
};

TEST_F(PlatformFindFiles, SortedIgnoringCase) {
    std::vector<platform::DirectoryEntry> entries;
    bool failed = false;
    ASSERT_TRUE(platform::findFiles(withBackslashes(dir.path()) + "\\*.txt", entries, &failed));
    EXPECT_FALSE(failed);
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.name);
    const std::vector<std::string> expected = {"A.txt", "a.txt", "b.txt", "C.TXT", "readonly.txt"};
    EXPECT_EQ(names, expected);
}

TEST_F(PlatformFindFiles, EntriesDescribed) {
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(dir / "*", entries));
    EXPECT_EQ(entries.size(), 10u);  // "." and ".." left out

    const auto* text = find(entries, "b.txt");
    ASSERT_NE(text, nullptr);
    EXPECT_FALSE(text->isDirectory);
    EXPECT_FALSE(text->isReadOnly);
    EXPECT_FALSE(text->isLink);
    EXPECT_EQ(text->size, 5);

    const auto* readOnly = find(entries, "readonly.txt");
    ASSERT_NE(readOnly, nullptr);
    EXPECT_TRUE(readOnly->isReadOnly);  // the permission bit, even for root
    EXPECT_GT(readOnly->size, 0);

    const auto* sub = find(entries, "Sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->isDirectory);
    EXPECT_FALSE(sub->isLink);

    const auto* link = find(entries, "link");
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->isDirectory);
    EXPECT_TRUE(link->isLink);

    const auto* dangling = find(entries, "dangling");
    ASSERT_NE(dangling, nullptr);
    EXPECT_FALSE(dangling->isDirectory);
    EXPECT_TRUE(dangling->isLink);
    EXPECT_EQ(dangling->size, 0);
}

TEST_F(PlatformFindFiles, StarDotStarFindsNamesWithoutDot) {
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(dir / "*.*", entries));
    EXPECT_EQ(entries.size(), 10u);
    EXPECT_NE(find(entries, "noext"), nullptr);
    EXPECT_NE(find(entries, "Sub"), nullptr);
}

TEST_F(PlatformFindFiles, DirectoryLookedUpIgnoringCase) {
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles("C:" + withBackslashes(dir.path()) + "\\SUB\\*.TXT", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "inner.txt");
}

TEST_F(PlatformFindFiles, RelativeSearchUsesCurrentDirectory) {
    InDirectory inside(dir.path());
    ASSERT_TRUE(inside.ok());
    for (const char* search : {"*.MD", ".\\*.md", "./notes.*"}) {
        std::vector<platform::DirectoryEntry> entries;
        ASSERT_TRUE(platform::findFiles(search, entries)) << search;
        ASSERT_EQ(entries.size(), 1u) << search;
        EXPECT_EQ(entries[0].name, "notes.md");
    }
}

TEST_F(PlatformFindFiles, DrivePrefixAloneIsTheRoot) {
    for (const char* search : {"c:*", "C:\\T?P", "\\*", "c:tm*"}) {
        std::vector<platform::DirectoryEntry> entries;
        ASSERT_TRUE(platform::findFiles(search, entries)) << search;
        const auto* tmp = find(entries, "tmp");
        ASSERT_NE(tmp, nullptr) << search;
        EXPECT_TRUE(tmp->isDirectory);
    }
}

TEST_F(PlatformFindFiles, NoMatchIsFalseAndClearsEntries) {
    std::vector<platform::DirectoryEntry> entries(3);
    bool failed = false;
    EXPECT_FALSE(platform::findFiles(dir / "*.htm", entries, &failed));
    EXPECT_FALSE(failed);
    EXPECT_TRUE(entries.empty());
}

TEST_F(PlatformFindFiles, MissingDirectoryIsNotAFailure) {
    std::vector<platform::DirectoryEntry> entries;
    bool failed = false;
    EXPECT_FALSE(platform::findFiles(dir / "missing/*.txt", entries, &failed));
    EXPECT_FALSE(failed);
    EXPECT_FALSE(platform::findFiles(dir / "b.txt/*", entries, &failed));  // not a directory
    EXPECT_FALSE(failed);
    EXPECT_FALSE(platform::findFiles(dir / "missing/*.txt", entries));  // no flag wanted
}

TEST_F(PlatformFindFiles, UnreadableDirectoryIsAFailure) {
    // A name longer than any file system allows cannot be opened at all.
    std::vector<platform::DirectoryEntry> entries;
    bool failed = false;
    EXPECT_FALSE(platform::findFiles(dir / std::string(300, 'n') + "/*", entries, &failed));
    EXPECT_TRUE(failed);
    EXPECT_EQ(errno, ENAMETOOLONG);
}

TEST_F(PlatformFindFiles, ListingIsTakenWhole) {
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(dir / "*.md", entries));
    writeFile(dir / "later.md", "");
    EXPECT_EQ(entries.size(), 1u);
    ASSERT_TRUE(platform::findFiles(dir / "*.md", entries));
    EXPECT_EQ(entries.size(), 2u);
}

// ------------------------------------------------------ moveFile, removeFile

TEST_F(PlatformFilesTest, RemoveFile) {
    writeFile(dir / "gone.txt", "x");
    EXPECT_TRUE(platform::removeFile(withBackslashes(dir.path()) + "\\GONE.TXT"));
    EXPECT_FALSE(exists(dir / "gone.txt"));
    errno = 0;
    EXPECT_FALSE(platform::removeFile(dir / "gone.txt"));
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(PlatformFilesTest, MoveReplacesTarget) {
    writeFile(dir / "source.tmp", "new content");
    writeFile(dir / "target.txt", "old");
    ASSERT_TRUE(platform::moveFile(dir / "source.tmp", withBackslashes(dir.path()) + "\\TARGET.TXT"));
    EXPECT_FALSE(exists(dir / "source.tmp"));
    EXPECT_FALSE(exists(dir / "TARGET.TXT"));  // the existing name was found and replaced
    EXPECT_EQ(readFile(dir / "target.txt"), "new content");
}

TEST_F(PlatformFilesTest, MoveNeedsNoQuoting) {
    const char* names[] = {
        "it's \"quoted\".txt", "with  spaces .txt", "$HOME and $(echo x).txt",
        "line\nfeed.txt",      "`tick`;|&<>*.txt",  "-dash.txt",
    };
    for (const char* name : names) {
        const std::string source = dir / (std::string(name) + ".src");
        const std::string target = dir / name;
        writeFile(source, name);
        writeFile(target, "old");
        EXPECT_TRUE(platform::moveFile(source, target)) << name;
        EXPECT_FALSE(exists(source)) << name;
        EXPECT_EQ(readFile(target), name);
    }
}

TEST_F(PlatformFilesTest, FailedMoveLeavesSource) {
    writeFile(dir / "keep.txt", "keep");
    errno = 0;
    EXPECT_FALSE(platform::moveFile(dir / "keep.txt", dir / "no/such/dir/keep.txt"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(readFile(dir / "keep.txt"), "keep");
    EXPECT_FALSE(platform::moveFile(dir / "absent.txt", dir / "keep.txt"));
    EXPECT_EQ(readFile(dir / "keep.txt"), "keep");
}

// Moves between two file systems, where rename() cannot do the work.
class PlatformCrossDeviceMove : public PlatformFilesTest {
protected:
    void SetUp() override {
        PlatformFilesTest::SetUp();
        struct stat tmpInfo;
        struct stat shmInfo;
        if (::stat("/tmp", &tmpInfo) != 0 || ::stat("/dev/shm", &shmInfo) != 0 ||
            tmpInfo.st_dev == shmInfo.st_dev) {
            GTEST_SKIP() << "/tmp and /dev/shm are not two file systems here";
        }
        other = std::make_unique<TempDir>("/dev/shm");
        ASSERT_TRUE(other->ok()) << "mkdtemp in /dev/shm failed: " << std::strerror(errno);
    }
    std::unique_ptr<TempDir> other;
};

TEST_F(PlatformCrossDeviceMove, CopiesReplacesAndRemovesSource) {
    std::string data;
    for (int i = 0; i < 300000; ++i) data += static_cast<char>(i * 7 % 256);  // beyond one buffer, with NULs
    writeFile(dir / "data.bin", data);
    ASSERT_EQ(::chmod((dir / "data.bin").c_str(), 0640), 0);
    writeFile(*other / "data.bin", "old");

    ASSERT_TRUE(platform::moveFile(dir / "data.bin", *other / "DATA.BIN"));
    EXPECT_FALSE(exists(dir / "data.bin"));
    EXPECT_EQ(readFile(*other / "data.bin"), data);
    struct stat info;
    ASSERT_EQ(::stat((*other / "data.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(namesIn(other->path()), std::vector<std::string>{"data.bin"});  // no temporary left

    ASSERT_TRUE(platform::moveFile(*other / "data.bin", dir / "back.bin"));
    EXPECT_FALSE(exists(*other / "data.bin"));
    EXPECT_EQ(readFile(dir / "back.bin"), data);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"back.bin"});
}

TEST_F(PlatformCrossDeviceMove, FailureLeavesBothSides) {
    writeFile(dir / "source.txt", "source");
    // A directory in the way: the copy is made, but cannot replace it.
    ASSERT_EQ(::mkdir((*other / "target").c_str(), 0755), 0);
    writeFile(*other / "target/inside.txt", "inside");
    errno = 0;
    EXPECT_FALSE(platform::moveFile(dir / "source.txt", *other / "target"));
    EXPECT_NE(errno, 0);
    EXPECT_EQ(readFile(dir / "source.txt"), "source");
    EXPECT_EQ(readFile(*other / "target/inside.txt"), "inside");
    EXPECT_EQ(namesIn(other->path()), std::vector<std::string>{"target"});  // no temporary left

    EXPECT_FALSE(platform::moveFile(dir / "source.txt", *other / "missing/target.txt"));
    EXPECT_EQ(readFile(dir / "source.txt"), "source");
}

// -------------------------------------------------------------- fileIdentity

TEST_F(PlatformFilesTest, IdentitySameFileThroughSeveralPaths) {
    writeFile(dir / "file.txt", "x");
    ASSERT_EQ(::link((dir / "file.txt").c_str(), (dir / "hard.txt").c_str()), 0);
    ASSERT_EQ(::symlink("file.txt", (dir / "soft.txt").c_str()), 0);
    const platform::FileIdentity original = platform::fileIdentity(dir / "file.txt");
    ASSERT_TRUE(original.exists);
    EXPECT_TRUE(original == platform::fileIdentity("C:" + withBackslashes(dir.path()) + "\\FILE.TXT"));
    EXPECT_TRUE(original == platform::fileIdentity(dir / "hard.txt"));
    EXPECT_TRUE(original == platform::fileIdentity(dir / "soft.txt"));

    int fd = ::open((dir / "file.txt").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(original == platform::descriptorIdentity(fd));
    ::close(fd);
}

TEST_F(PlatformFilesTest, IdentityDiffers) {
    writeFile(dir / "one.txt", "x");
    writeFile(dir / "two.txt", "x");
    const platform::FileIdentity one = platform::fileIdentity(dir / "one.txt");
    const platform::FileIdentity two = platform::fileIdentity(dir / "two.txt");
    const platform::FileIdentity missing = platform::fileIdentity(dir / "missing.txt");
    EXPECT_FALSE(one == two);
    EXPECT_FALSE(missing.exists);
    EXPECT_FALSE(missing == one);
    EXPECT_FALSE(one == missing);
    EXPECT_FALSE(missing == missing);
    EXPECT_FALSE(platform::descriptorIdentity(-1).exists);
}

}  // namespace
