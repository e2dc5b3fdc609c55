// What only the POSIX implementation of the platform layer does: paths as
// the tool writes them ('\\' separators, drive prefixes) mapped to the file
// system, each component looked up ignoring case; symbolic links in a
// search; permission bits.
#include "platform/exit_cleanup.h"
#include "platform/file_lock.h"
#include "platform/file_ops.h"
#include "platform/file_search.h"
#include "platform/working_files.h"
#include "platform/descriptors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <cstring>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/scratch_files.h"

namespace {

class PlatformPosixFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()) << "mkdtemp failed: " << std::strerror(errno); }
    ScratchDir dir;
};

const platform::DirectoryEntry* find(const std::vector<platform::DirectoryEntry>& entries, const std::string& name) {
    for (const auto& entry : entries) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

// --------------------------------------------------------------- locatePath

class PlatformNativePath : public PlatformPosixFiles {
protected:
    void SetUp() override {
        PlatformPosixFiles::SetUp();
        ASSERT_EQ(::mkdir((dir / "src").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((dir / "src/Lib").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
        ASSERT_TRUE(writeFile(dir / "src/x.txt", "x"));
        ASSERT_TRUE(writeFile(dir / "src/Lib/Deep.TXT", "deep"));
        ASSERT_TRUE(writeFile(dir / "a", "lower"));
        ASSERT_TRUE(writeFile(dir / "A", "upper"));
        ASSERT_TRUE(writeFile(dir / "aB", ""));
        ASSERT_TRUE(writeFile(dir / "AB", ""));
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
        EXPECT_EQ(platform::locatePath(c.input).native, c.expected) << "input: " << c.input;
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
        EXPECT_EQ(platform::locatePath(c.input).native, c.expected) << "input: " << c.input;
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
    EXPECT_EQ(platform::locatePath(input).native, expected);
}

// ------------------------------------------------------------ exit cleanup

// Waits for the child: it ended by the signal `signalNumber`, or, when
// that is 0, exited with status 0.
void expectEnded(pid_t child, int signalNumber, const char* what) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child) << what;
    if (signalNumber != 0) {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << what;
    } else {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << what;
    }
}

// A file registered before it is made goes however the process ends, from
// the moment it exists; what else stands under its name stays.
TEST_F(PlatformPosixFiles, FileRegisteredBeforeItIsMadeGoesAtExit) {
    struct Case {
        const char* what;
        bool create;          // the process makes the file itself, as the creation does
        const char* before;   // or this stood there already (nullptr: nothing)
        mode_t mode;
        unsigned permissions;  // those the registration allows the new file
        bool identify;        // the identity is given after the creation
        int signalNumber;     // ends by this signal (0: by exit)
        bool removed;
    };
    const Case cases[] = {
        {"made, not yet identified, exit", true, nullptr, 0600, 0600, false, 0, true},
        {"made, not yet identified, SIGTERM", true, nullptr, 0600, 0600, false, SIGTERM, true},
        {"made and identified, SIGHUP", true, nullptr, 0600, 0600, true, SIGHUP, true},
        {"made with an input's mode, not yet identified, SIGTERM", true, nullptr, 0644, 0644, false, SIGTERM, true},
        {"made, not yet identified, SIGPIPE", true, nullptr, 0600, 0600, false, SIGPIPE, true},
        {"readable by others: not what the creation makes", false, "", 0644, 0600, false, 0, false},
        {"writable by others: beyond what the creation makes", false, "", 0666, 0644, false, SIGTERM, false},
        {"holds data: not what the creation makes", false, "data", 0600, 0600, false, SIGTERM, false},
    };
    for (const Case& c : cases) {
        const std::string path = dir / "new.tmp";
        ::unlink(path.c_str());
        if (c.before != nullptr) {
            ASSERT_TRUE(writeFile(path, c.before));
            ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        }
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const platform::FileLocation name{path};
            int slot = platform::removeNewAtExit(name, c.permissions);
            ::umask(0);
            if (c.create) {
                int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, c.mode);
                if (fd < 0) ::_exit(3);
                if (c.identify) platform::identifyAtExit(slot, platform::descriptorIdentity(fd));
            }
            if (c.signalNumber != 0) ::raise(c.signalNumber);
            std::exit(0);
        }
        expectEnded(child, c.signalNumber, c.what);
        EXPECT_EQ(::access(path.c_str(), F_OK) != 0, c.removed) << c.what;
    }
}

// A lock file goes with the run that holds it, or made it and nobody holds
// it, however that run ends; one another process holds stays, also when
// the run ends while it waits for it.
TEST_F(PlatformPosixFiles, LockFileGoesOnlyWhenNoOtherProcessHoldsIt) {
    struct Case {
        const char* what;
        bool heldByOther;  // another open file of the lock is locked meanwhile
        int signalNumber;  // the run ends by this signal while it holds or waits
        bool removed;
    };
    const Case cases[] = {
        {"held, SIGTERM", false, SIGTERM, true},
        {"held, SIGPIPE", false, SIGPIPE, true},
        {"held, exit", false, 0, true},
        {"waiting for another holder, SIGTERM", true, SIGTERM, false},
        {"waiting for another holder, SIGINT", true, SIGINT, false},
    };
    for (const Case& c : cases) {
        const std::string path = dir / "lock";
        ::unlink(path.c_str());
        int other = -1;
        if (c.heldByOther) {
            other = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
            ASSERT_GE(other, 0);
            ASSERT_EQ(::flock(other, LOCK_EX), 0);
        }
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGINT, SIG_DFL);
            platform::ExclusiveFileLock lock;
            std::string err;
            if (!lock.acquire(platform::FileLocation{path}, &err)) ::_exit(3);
            if (c.signalNumber != 0) ::raise(c.signalNumber);
            std::exit(0);
        }
        if (c.heldByOther) {
            // The child waits for the lock (or has not got there yet: it
            // then ends before it opens the file, which is no less a case).
            ::usleep(100 * 1000);
            ::kill(child, c.signalNumber);
        }
        expectEnded(child, c.signalNumber, c.what);
        EXPECT_EQ(::access(path.c_str(), F_OK) != 0, c.removed) << c.what;
        if (other >= 0) ::close(other);
    }
}

// ----------------------------------------------------------------- findFiles

// Names that differ in case only, and links, exist side by side here.
class PlatformPosixFindFiles : public PlatformPosixFiles {
protected:
    void SetUp() override {
        PlatformPosixFiles::SetUp();
        ASSERT_TRUE(writeFile(dir / "b.txt", "hello"));
        ASSERT_TRUE(writeFile(dir / "A.txt", ""));
        ASSERT_TRUE(writeFile(dir / "a.txt", ""));
        ASSERT_TRUE(writeFile(dir / "C.TXT", ""));
        ASSERT_TRUE(writeFile(dir / "readonly.txt", "r"));
        ASSERT_EQ(::chmod((dir / "readonly.txt").c_str(), 0444), 0);
        ASSERT_EQ(::mkdir((dir / "Sub").c_str(), 0755), 0);
        ASSERT_TRUE(writeFile(dir / "Sub/inner.txt", ""));
        ASSERT_EQ(::symlink("Sub", (dir / "link").c_str()), 0);
        ASSERT_EQ(::symlink("nowhere", (dir / "dangling").c_str()), 0);
    }
};

// What a name given exactly finds: that name alone, whatever bytes it holds,
// never another case of it.
TEST_F(PlatformPosixFindFiles, ExactNameIgnoresNoCaseAndReadsNoBytes) {
    ASSERT_TRUE(writeFile(dir / "*", "star"));
    ASSERT_TRUE(writeFile(dir / "c:\\x", "drive"));
    const struct {
        const char* name;
        const char* found;  // nullptr: nothing
    } cases[] = {
        {"A.txt", "A.txt"}, {"a.txt", "a.txt"}, {"B.TXT", nullptr}, {"c.txt", nullptr},
        {"*", "*"},         {"c:\\x", "c:\\x"}, {"link", "link"},  {"dangling", "dangling"},
    };
    for (const auto& c : cases) {
        std::vector<platform::DirectoryEntry> entries;
        EXPECT_TRUE(platform::findExactName(platform::locateExactDirectory(dir.path()), c.name, entries)) << c.name;
        if (c.found == nullptr) {
            EXPECT_TRUE(entries.empty()) << c.name;
        } else {
            ASSERT_EQ(entries.size(), 1u) << c.name;
            EXPECT_EQ(entries[0].name, c.found);
        }
    }
    InDirectory inside(dir.path());
    ASSERT_TRUE(inside.ok());
    const platform::ExactPath drive = platform::examineExactPath("c:\\x");
    EXPECT_TRUE(drive.exists && !drive.isDirectory && drive.directory.empty() && drive.name == "c:\\x");
    EXPECT_FALSE(platform::examineExactPath("C.txt").exists) << "no case ignored";
    EXPECT_TRUE(platform::examineExactPath("link").isDirectory) << "a link to a directory";
    EXPECT_FALSE(platform::examineExactPath("dangling").isDirectory);
    EXPECT_TRUE(platform::examineExactPath("dangling").exists);
}

TEST_F(PlatformPosixFindFiles, CaseTwinsSortByTheirBytes) {
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(platform::locatePath(withBackslashes(dir.path()) + "\\"), "*.txt", entries));
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.name);
    const std::vector<std::string> expected = {"A.txt", "a.txt", "b.txt", "C.TXT", "readonly.txt"};
    EXPECT_EQ(names, expected);
}

TEST_F(PlatformPosixFindFiles, LinksAndPermissionsDescribed) {
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(platform::locatePath(dir.path()), "*", entries));
    EXPECT_EQ(entries.size(), 8u);
    // Links are looked at by the listing itself; the rest on demand.
    for (auto& entry : entries) {
        if (entry.name == "link" || entry.name == "dangling") {
            EXPECT_TRUE(entry.described) << entry.name;
        }
        if (!entry.described) {
            ASSERT_TRUE(platform::describeEntry(entry)) << entry.name;
        }
    }

    const auto* readOnly = find(entries, "readonly.txt");
    ASSERT_NE(readOnly, nullptr);
    EXPECT_TRUE(readOnly->isReadOnly);  // the permission bit, even for root

    const auto* link = find(entries, "link");
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->isDirectory);
    EXPECT_TRUE(link->isLink);
    EXPECT_TRUE(link->identity == platform::fileIdentity(dir.at("Sub")));  // the target's

    const auto* dangling = find(entries, "dangling");
    ASSERT_NE(dangling, nullptr);
    EXPECT_FALSE(dangling->isDirectory);
    EXPECT_TRUE(dangling->isLink);
    EXPECT_EQ(dangling->size, 0);
}

TEST_F(PlatformPosixFindFiles, DriveDirectoryLookedUpIgnoringCase) {
    std::vector<platform::DirectoryEntry> entries;
    const platform::FileLocation sub = platform::locatePath("C:" + withBackslashes(dir.path()) + "\\SUB");
    ASSERT_TRUE(platform::findFiles(sub, "*.TXT", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "inner.txt");
}

TEST_F(PlatformPosixFindFiles, DrivePrefixAloneIsTheRoot) {
    const struct {
        const char* directory;
        const char* pattern;
    } cases[] = {{"c:", "*"}, {"C:\\", "T?P"}, {"\\", "*"}, {"c:", "tm*"}};
    for (const auto& c : cases) {
        const std::string search = std::string(c.directory) + c.pattern;
        std::vector<platform::DirectoryEntry> entries;
        ASSERT_TRUE(platform::findFiles(platform::locatePath(c.directory), c.pattern, entries)) << search;
        const auto* tmp = find(entries, "tmp");
        ASSERT_NE(tmp, nullptr) << search;
        EXPECT_TRUE(tmp->isDirectory);
    }
}

TEST_F(PlatformPosixFindFiles, UnreadableDirectoryIsAFailure) {
    // A name longer than any file system allows cannot be opened at all.
    std::vector<platform::DirectoryEntry> entries;
    errno = 0;
    EXPECT_FALSE(platform::findFiles(dir.at(std::string(300, 'n')), "*", entries));
    EXPECT_EQ(errno, ENAMETOOLONG);
}

// -------------------------------------------------------------- fileIdentity

TEST_F(PlatformPosixFiles, IdentityThroughASymbolicLink) {
    ASSERT_TRUE(writeFile(dir / "file.txt", "x"));
    ASSERT_EQ(::symlink("file.txt", (dir / "soft.txt").c_str()), 0);
    const platform::FileIdentity original = platform::fileIdentity(dir.at("file.txt"));
    ASSERT_TRUE(original.exists);
    const std::string otherCase = "C:" + withBackslashes(dir.path()) + "\\FILE.TXT";
    EXPECT_TRUE(original == platform::fileIdentity(platform::locatePath(otherCase)));
    EXPECT_TRUE(original == platform::fileIdentity(dir.at("soft.txt")));
}

// An open directory keeps its entries, whatever its path names since: a
// directory moved away and a link put in its place are never reached.
TEST_F(PlatformPosixFiles, OpenDirectoryOutlivesItsPath) {
    ASSERT_TRUE(makeDirectory(dir / "d"));
    ASSERT_TRUE(makeDirectory(dir / "victim"));
    ASSERT_TRUE(writeFile(dir / "d/x.txt", "mine"));
    ASSERT_TRUE(writeFile(dir / "victim/x.txt", "private"));
    platform::FileLocation d = dir.at("d");
    ASSERT_TRUE(platform::openDirectory(d, false));
    ASSERT_EQ(::rename((dir / "d").c_str(), (dir / "d.old").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "victim").c_str(), (dir / "d").c_str()), 0);

    platform::FileLocation found;
    ASSERT_TRUE(platform::findName(d, "X.TXT", found));
    int fd = platform::openInput(found, true, false);
    ASSERT_GE(fd, 0);
    char text[8] = {};
    EXPECT_EQ(platform::readSome(fd, text, sizeof text), 4);
    EXPECT_EQ(std::string(text), "mine");
    platform::closeDescriptor(fd);
    // Made, renamed and removed in it, too.
    platform::FileFacts made;
    const platform::FileLocation madeAt = platform::locateName(d, "new");
    fd = platform::createPrivateFile(madeAt, made);
    ASSERT_GE(fd, 0);
    platform::closeDescriptor(fd);
    EXPECT_TRUE(platform::renameIfSame(madeAt, made.identity, platform::locateName(d, "x.txt"), platform::fileIdentity(found)));
    EXPECT_EQ(namesIn(dir / "d.old"), std::vector<std::string>{"x.txt"});
    EXPECT_EQ(namesIn(dir / "victim"), std::vector<std::string>{"x.txt"});
    EXPECT_EQ(readFile(dir / "victim/x.txt"), "private");

    // The link itself is not opened as a directory.
    platform::FileLocation link = dir.at("d");
    errno = 0;
    EXPECT_FALSE(platform::openDirectory(link, false));
    EXPECT_EQ(errno, ELOOP);
    EXPECT_TRUE(platform::openDirectory(link, true));
}

}  // namespace
