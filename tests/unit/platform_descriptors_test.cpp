// Descriptor-level services on every system: the open modes beneath the
// text-mode streams (binary, a+ dropping one final Ctrl-Z), sizes and
// truncation, duplication, raw reads and writes, the terminal test.
#include "platform/descriptors.h"
#include "platform/file_ops.h"
#include "platform/working_files.h"
#include "platform/process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "support/scratch_files.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

class PlatformDescriptors : public ::testing::Test {
protected:
    void SetUp() override {
        // A descriptor that is not open must fail a call, not end the process.
        platform::initProcess();
        ASSERT_TRUE(dir.ok()) << "no scratch directory: " << std::strerror(errno);
    }
    // Every byte from the descriptor's current position to the end.
    static std::string readRest(int fd) {
        std::string bytes;
        char chunk[4096];
        for (;;) {
            long n = platform::readSome(fd, chunk, sizeof chunk);
            if (n <= 0) return bytes;
            bytes.append(chunk, static_cast<std::size_t>(n));
        }
    }
    ScratchDir dir;
};

TEST_F(PlatformDescriptors, OpenModes) {
    struct Case {
        const char* name;
        platform::OpenMode mode;
        bool existing;
        std::string before;   // the file's bytes before the open
        std::string readable; // what a read right after the open returns
        std::string after;    // the file's bytes after writing "new\n"
    };
    const std::vector<Case> cases = {
        {"reading reads from the start", platform::OpenMode::Read, true, "old\r\n", "old\r\n", ""},
        {"overwriting creates", platform::OpenMode::Overwrite, false, "", "", "new\n"},
        {"overwriting empties", platform::OpenMode::Overwrite, true, "old contents", "", "new\n"},
        {"appending creates", platform::OpenMode::Append, false, "", "", "new\n"},
        {"appending writes at the end, reading from the start", platform::OpenMode::Append, true, "old\n", "old\n",
         "old\nnew\n"},
        {"appending drops a final Ctrl-Z", platform::OpenMode::Append, true, "old\x1a", "old", "oldnew\n"},
        {"appending drops one Ctrl-Z only", platform::OpenMode::Append, true, "old\x1a\x1a", "old\x1a", "old\x1anew\n"},
        {"appending keeps a Ctrl-Z inside", platform::OpenMode::Append, true, "o\x1ald", "o\x1ald", "o\x1aldnew\n"},
        {"appending on an empty file", platform::OpenMode::Append, true, "", "", "new\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / "file.txt";
        if (c.existing) {
            ASSERT_TRUE(writeFile(path, c.before));
        } else {
            ASSERT_FALSE(exists(path));
        }
        int fd = platform::openFile(path.c_str(), c.mode);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        EXPECT_EQ(readRest(fd), c.readable);
        if (c.mode != platform::OpenMode::Read) {
            // Bytes go through unchanged: the descriptor is binary.
            EXPECT_TRUE(platform::writeAll(fd, "new\n", 4));
        }
        EXPECT_TRUE(platform::closeDescriptorChecked(fd));
        EXPECT_EQ(readFile(path), c.mode == platform::OpenMode::Read ? c.before : c.after);
        platform::removeFile(platform::locatePath(path));
    }
}

TEST_F(PlatformDescriptors, OpenFailures) {
    errno = 0;
    EXPECT_EQ(platform::openFile((dir / "missing.txt").c_str(), platform::OpenMode::Read), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(exists(dir / "missing.txt"));  // reading never creates
    errno = 0;
    EXPECT_EQ(platform::openFile((dir / "no/such/dir/file.txt").c_str(), platform::OpenMode::Overwrite), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(PlatformDescriptors, NamesFoundIgnoringCase) {
    ASSERT_TRUE(writeFile(dir / "file.txt", "content"));
    const std::string otherCase = withBackslashes(dir.path()) + "\\FILE.TXT";
    int fd = platform::openFile(otherCase.c_str(), platform::OpenMode::Read);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(readRest(fd), "content");
    platform::closeDescriptor(fd);
    // A file written under another case of its name is that file, not a
    // second one beside it.
    fd = platform::openFile(otherCase.c_str(), platform::OpenMode::Overwrite);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(platform::writeAll(fd, "new", 3));
    platform::closeDescriptor(fd);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"file.txt"});
    EXPECT_EQ(readFile(dir / "file.txt"), "new");
}

TEST_F(PlatformDescriptors, SizeAndTruncation) {
    int fd = platform::openFile((dir / "sized.bin").c_str(), platform::OpenMode::Overwrite);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(platform::descriptorSize(fd), 0);
    const std::string data(300000, 'x');  // beyond any single buffer
    ASSERT_TRUE(platform::writeAll(fd, data.data(), data.size()));
    EXPECT_EQ(platform::descriptorSize(fd), 300000);
    EXPECT_TRUE(platform::truncateDescriptor(fd, 5));
    EXPECT_EQ(platform::descriptorSize(fd), 5);
    EXPECT_TRUE(platform::truncateDescriptor(fd, 0));
    EXPECT_EQ(platform::descriptorSize(fd), 0);
    platform::closeDescriptor(fd);
    EXPECT_EQ(readFile(dir / "sized.bin"), "");
    EXPECT_EQ(platform::descriptorSize(-1), -1);
}

TEST_F(PlatformDescriptors, ReadsAndWritesAreRaw) {
    std::string data;
    for (int i = 0; i < 200000; ++i) data += static_cast<char>(i * 13 % 256);  // CR, LF, 0x1A and NUL among them
    int fd = platform::openFile((dir / "raw.bin").c_str(), platform::OpenMode::Overwrite);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(platform::writeAll(fd, data.data(), data.size()));
    ASSERT_TRUE(seekTo(fd, 0));
    char small[7];
    EXPECT_EQ(platform::readSome(fd, small, sizeof small), 7);
    EXPECT_EQ(std::string(small, 7), data.substr(0, 7));
    EXPECT_EQ(readRest(fd), data.substr(7));
    EXPECT_EQ(platform::readSome(fd, small, sizeof small), 0);  // the end
    platform::closeDescriptor(fd);
    EXPECT_EQ(readFile(dir / "raw.bin"), data);
}

TEST_F(PlatformDescriptors, NotOpenFailsWithEBADF) {
    char byte = 0;
    errno = 0;
    EXPECT_EQ(platform::readSome(-1, &byte, 1), -1);
    EXPECT_EQ(errno, EBADF);
    errno = 0;
    EXPECT_FALSE(platform::writeAll(-1, "x", 1));
    EXPECT_EQ(errno, EBADF);
    int fd = platform::openFile((dir / "once.txt").c_str(), platform::OpenMode::Overwrite);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(platform::closeDescriptorChecked(fd));
    EXPECT_FALSE(platform::closeDescriptorChecked(fd));
    EXPECT_EQ(platform::duplicateDescriptor(-1), -1);
    EXPECT_FALSE(platform::isTerminal(-1));
    // Written to through a descriptor open for reading only.
    ASSERT_TRUE(writeFile(dir / "read.txt", "r"));
    fd = platform::openFile((dir / "read.txt").c_str(), platform::OpenMode::Read);
    ASSERT_GE(fd, 0);
    errno = 0;
    EXPECT_FALSE(platform::writeAll(fd, "x", 1));
    EXPECT_EQ(errno, EBADF);
    platform::closeDescriptor(fd);
    EXPECT_EQ(readFile(dir / "read.txt"), "r");
}

TEST_F(PlatformDescriptors, Duplicates) {
    int first = platform::openFile((dir / "first.txt").c_str(), platform::OpenMode::Overwrite);
    int second = platform::openFile((dir / "second.txt").c_str(), platform::OpenMode::Overwrite);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    int copy = platform::duplicateDescriptor(first);
    ASSERT_GE(copy, 0);
    EXPECT_NE(copy, first);
    EXPECT_TRUE(platform::writeAll(copy, "via copy;", 9));
    EXPECT_TRUE(platform::writeAll(first, "via first", 9));  // one position for both
    // The target now refers to the source's file; its own file was closed.
    ASSERT_TRUE(platform::duplicateOnto(first, second));
    EXPECT_TRUE(platform::writeAll(second, "!", 1));
    EXPECT_TRUE(platform::descriptorIdentity(second) == platform::fileIdentity(dir.at("first.txt")));
    for (int fd : {first, second, copy}) EXPECT_TRUE(platform::closeDescriptorChecked(fd));
    EXPECT_EQ(readFile(dir / "first.txt"), "via copy;via first!");
    EXPECT_EQ(readFile(dir / "second.txt"), "");
    EXPECT_FALSE(platform::duplicateOnto(first, second));  // both closed now
}

TEST_F(PlatformDescriptors, FilesPipesAndTheNullDeviceAreNoTerminals) {
    ASSERT_TRUE(writeFile(dir / "file.txt", "x"));
    int file = platform::openFile((dir / "file.txt").c_str(), platform::OpenMode::Read);
    ASSERT_GE(file, 0);
    EXPECT_FALSE(platform::isTerminal(file));
    platform::closeDescriptor(file);
    int ends[2];
    ASSERT_TRUE(makePipe(ends));
    EXPECT_FALSE(platform::isTerminal(ends[0]));
    EXPECT_FALSE(platform::isTerminal(ends[1]));
    platform::closeDescriptor(ends[0]);
    platform::closeDescriptor(ends[1]);
#if defined(_WIN32)
    const char* nullDevice = "NUL";
#else
    const char* nullDevice = "/dev/null";
#endif
    // A character device, but no console.
    int device = platform::openFile(nullDevice, platform::OpenMode::Overwrite);
    ASSERT_GE(device, 0);
    EXPECT_FALSE(platform::isTerminal(device));
    EXPECT_TRUE(platform::writeAll(device, "gone", 4));
    platform::closeDescriptor(device);
}

#if !defined(_WIN32)
TEST_F(PlatformDescriptors, PrivateFileTakesOwnerAndModeLast) {
    ASSERT_TRUE(writeFile(dir / "source.txt", "s"));
    ASSERT_EQ(::chmod((dir / "source.txt").c_str(), 02640), 0);
    int source = platform::openFile((dir / "source.txt").c_str(), platform::OpenMode::Read);
    ASSERT_GE(source, 0);
    platform::FileFacts facts;
    ASSERT_TRUE(platform::describeDescriptor(source, facts));
    EXPECT_TRUE(facts.isRegular);
    EXPECT_EQ(facts.mode, 02640u);
    platform::FileFacts made;
    const platform::FileLocation target{dir / "target.txt"};
    int fd = platform::createPrivateFile(target, made);
    ASSERT_GE(fd, 0);
    struct stat info;
    ASSERT_EQ(::stat(target.native.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    // What it tells of the new file is what a stat of its name tells.
    EXPECT_TRUE(made.identity == platform::fileIdentity(target));
    EXPECT_EQ(made.owner, info.st_uid);
    EXPECT_EQ(made.group, info.st_gid);
    // Never opens what stands there already.
    platform::FileFacts again;
    errno = 0;
    EXPECT_EQ(platform::createPrivateFile(target, again), -1);
    EXPECT_EQ(errno, EEXIST);
    // The owner and group are the process's own here, so the set-id bit
    // may follow them.
    EXPECT_TRUE(platform::copyAttributes(fd, made, source, facts));
    ASSERT_EQ(::stat(target.native.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 02640u);
    platform::closeDescriptor(source);
    platform::closeDescriptor(fd);
    EXPECT_TRUE(platform::removeIfSame(target, made.identity));
    EXPECT_FALSE(platform::fileIdentity(target).exists);
}
#endif

}  // namespace
