// What only the Win32 implementation of the platform layer does: names
// between the ANSI code page and the wide calls, paths beyond MAX_PATH,
// Win32 errors as errno values, the read-only attribute, the lock as a
// sharing mode, binary standard descriptors, what a result takes from its
// input.
#include "platform/descriptors.h"
#include "platform/file_lock.h"
#include "platform/file_ops.h"
#include "platform/file_search.h"
#include "platform/file_location.h"
#include "platform/process.h"
#include "platform/working_files.h"
#include "platform/win32/wide_paths.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/windows_api.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <io.h>
#include <string>
#include <vector>

#include "support/scratch_files.h"

namespace {

using platform::win32::systemPath;
using platform::win32::toNarrow;
using platform::win32::toWide;

class PlatformWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        platform::initProcess();
        ASSERT_TRUE(dir.ok()) << "no scratch directory: " << std::strerror(errno);
    }
    ScratchDir dir;
};

// ------------------------------------------------------------ names, paths

TEST(PlatformWin32Names, NarrowAndWide) {
    const char* texts[] = {"", "plain.txt", "with space\\and\\separators", "C:\\x\\y.vb"};
    for (const char* text : texts) {
        std::wstring wide = toWide(text);
        EXPECT_EQ(wide.size(), std::strlen(text)) << text;  // ASCII: one unit per byte
        std::string back = "junk";
        EXPECT_TRUE(toNarrow(wide.c_str(), back)) << text;
        EXPECT_EQ(back, text);
    }
    if (::GetACP() == 1252) {
        EXPECT_EQ(toWide("caf\xe9"), L"caf\u00e9");
        std::string narrow;
        EXPECT_TRUE(toNarrow(L"caf\u00e9", narrow));
        EXPECT_EQ(narrow, "caf\xe9");
        // A look-alike letter would name another file: no best fit.
        EXPECT_FALSE(toNarrow(L"\u0100.txt", narrow));
        EXPECT_NE(narrow, "A.txt");
    }
}

TEST(PlatformWin32Names, CharacterOutsideTheCodePage) {
    std::string narrow;
    const bool utf8 = ::GetACP() == CP_UTF8;
    // No ANSI code page but UTF-8 holds this character.
    EXPECT_EQ(toNarrow(L"face \U0001F600.txt", narrow), utf8);
    if (!utf8) {
        EXPECT_EQ(narrow.substr(0, 5), "face ");
        EXPECT_NE(narrow.find('?'), std::string::npos);
    }
}

TEST(PlatformWin32Names, LocatedPathIsThePathAsWritten) {
    for (const char* path : {"SRC\\x.txt", "c:/a/b", "c:", "\\\\server\\share\\f", "", "..\\up"}) {
        EXPECT_EQ(platform::locatePath(path).native, path);
    }
}

TEST_F(PlatformWin32, SystemPathLiftsTheLengthLimit) {
    InDirectory inside(dir.path());
    ASSERT_TRUE(inside.ok());
    // Short paths stay as they are, separators and all.
    for (const char* path : {"x.txt", "a/b\\c", "..\\x", "C:\\dir\\f.txt"}) {
        EXPECT_EQ(systemPath(path), toWide(path)) << path;
    }
    std::string components;
    for (int i = 0; i < 30; ++i) components += "component" + std::to_string(i) + "\\";
    const std::string relative = ".\\a\\..\\" + components + "/file.txt";
    const std::wstring expected = L"\\\\?\\" + toWide(dir.path()) + L"\\" + toWide(components) + L"file.txt";
    // Made absolute, "." and ".." resolved, '/' turned into '\'.
    EXPECT_EQ(systemPath(relative), expected);

    // Network paths take the UNC form.
    const std::string network = "\\\\server\\share\\" + components + "f.txt";
    EXPECT_EQ(systemPath(network), L"\\\\?\\UNC\\server\\share\\" + toWide(components) + L"f.txt");
    // Paths already in the long form, and device paths, are left alone.
    const std::string longForm = "\\\\?\\C:\\" + components + "f.txt";
    EXPECT_EQ(systemPath(longForm), toWide(longForm));
    const std::string device = "\\\\.\\" + components;
    EXPECT_EQ(systemPath(device), toWide(device));
}

TEST_F(PlatformWin32, FilesBeyondMaxPath) {
    // Directories nested beyond MAX_PATH, made through the same path form.
    std::string deep = dir.path();
    for (int i = 0; deep.size() < 400; ++i) {
        deep += "\\directory-" + std::to_string(i);
        ASSERT_TRUE(::CreateDirectoryW(systemPath(deep).c_str(), nullptr)) << deep.size();
    }
    const std::string file = deep + "\\" + std::string(200, 'n') + ".txt";
    ASSERT_GT(file.size(), static_cast<std::size_t>(MAX_PATH));

    int fd = platform::openFile(file.c_str(), platform::OpenMode::Overwrite);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    EXPECT_TRUE(platform::writeAll(fd, "deep\n", 5));
    EXPECT_TRUE(platform::descriptorIdentity(fd) == platform::fileIdentity(platform::locatePath(file)));
    platform::closeDescriptor(fd);

    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(platform::locatePath(deep), "*.txt", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, std::string(200, 'n') + ".txt");
    EXPECT_EQ(entries[0].size, 5);
    // The identity comes from the file the entry's location reaches.
    ASSERT_TRUE(platform::describeEntry(entries[0]));
    EXPECT_TRUE(entries[0].identity == platform::fileIdentity(platform::locatePath(file)));

    const std::string moved = deep + "\\" + std::string(200, 'm') + ".vb";
    ASSERT_TRUE(platform::moveFile(platform::locatePath(file), platform::locatePath(moved)));
    EXPECT_FALSE(platform::fileIdentity(platform::locatePath(file)).exists);
    fd = platform::openFile(moved.c_str(), platform::OpenMode::Append);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(platform::descriptorSize(fd), 5);
    platform::closeDescriptor(fd);
    platform::ExclusiveFileLock lock;
    std::string err;
    EXPECT_TRUE(lock.acquire(platform::FileLocation{deep + "\\lock"}, &err)) << err;
    lock.release();
    EXPECT_FALSE(platform::fileIdentity(platform::locatePath(deep + "\\lock")).exists);
    EXPECT_TRUE(platform::removeFile(platform::locatePath(moved)));
    EXPECT_TRUE(platform::findFiles(platform::locatePath(deep), "*", entries));
    EXPECT_TRUE(entries.empty());

    // The scratch directory's removal does not take such paths.
    for (std::string level = deep; level.size() > dir.path().size(); level = level.substr(0, level.rfind('\\'))) {
        ::RemoveDirectoryW(systemPath(level).c_str());
    }
}

// ------------------------------------------------------------------ errors

TEST(PlatformWin32Errors, ErrnoForEachError) {
    const struct {
        unsigned long error;
        int expected;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, ENOENT},     {ERROR_PATH_NOT_FOUND, ENOENT},  {ERROR_INVALID_DRIVE, ENOENT},
        {ERROR_BAD_NETPATH, ENOENT},        {ERROR_FILENAME_EXCED_RANGE, ENOENT},
        {ERROR_TOO_MANY_OPEN_FILES, EMFILE}, {ERROR_ACCESS_DENIED, EACCES},   {ERROR_SHARING_VIOLATION, EACCES},
        {ERROR_LOCK_VIOLATION, EACCES},     {ERROR_WRITE_PROTECT, EACCES},   {ERROR_INVALID_HANDLE, EBADF},
        {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},  {ERROR_OUTOFMEMORY, ENOMEM},     {ERROR_NOT_SAME_DEVICE, EXDEV},
        {ERROR_FILE_EXISTS, EEXIST},        {ERROR_ALREADY_EXISTS, EEXIST},  {ERROR_DISK_FULL, ENOSPC},
        {ERROR_HANDLE_DISK_FULL, ENOSPC},   {ERROR_DIRECTORY, ENOTDIR},      {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
        {ERROR_BROKEN_PIPE, EPIPE},         {ERROR_NO_DATA, EPIPE},          {ERROR_INVALID_PARAMETER, EINVAL},
        {ERROR_INVALID_NAME, EINVAL},       {ERROR_CRC, EIO},                {0xFFFFu, EIO},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::win32::errnoFromError(c.error), c.expected) << c.error;
        errno = 0;
        platform::win32::setErrnoFromError(c.error);
        EXPECT_EQ(errno, c.expected) << c.error;
    }
}

TEST_F(PlatformWin32, FailuresReportedAsErrno) {
    ASSERT_TRUE(writeFile(dir / "readonly.txt", "r"));
    ASSERT_TRUE(::SetFileAttributesW(systemPath(dir / "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(makeDirectory(dir / "directory"));
    ASSERT_TRUE(writeFile(dir / "directory/inside.txt", "i"));
    struct Call {
        const char* name;
        std::function<bool()> call;
        int expected;
    };
    const std::vector<Call> calls = {
        {"remove a missing file", [&] { return platform::removeFile(dir.at("missing.txt")); }, ENOENT},
        {"remove a read-only file", [&] { return platform::removeFile(dir.at("readonly.txt")); }, EACCES},
        {"remove a directory", [&] { return platform::removeFile(dir.at("directory")); }, EACCES},
        {"move a missing file", [&] { return platform::moveFile(dir.at("missing.txt"), dir.at("x.txt")); }, ENOENT},
        {"move into a missing directory",
         [&] { return platform::moveFile(dir.at("readonly.txt"), dir.at("no/x.txt")); }, ENOENT},
        {"open a directory",
         [&] { return platform::openFile((dir / "directory").c_str(), platform::OpenMode::Read) >= 0; }, EACCES},
    };
    for (const Call& c : calls) {
        errno = 0;
        EXPECT_FALSE(c.call()) << c.name;
        EXPECT_EQ(errno, c.expected) << c.name;
    }
    EXPECT_EQ(readFile(dir / "readonly.txt"), "r");
    EXPECT_EQ(readFile(dir / "directory/inside.txt"), "i");
}

// ------------------------------------------------------------------ search

TEST_F(PlatformWin32, SearchReadsTheAttributes) {
    ASSERT_TRUE(writeFile(dir / "readonly.txt", "r"));
    ASSERT_TRUE(writeFile(dir / "hidden.txt", "hh"));
    ASSERT_TRUE(writeFile(dir / "plain.txt", "ppp"));
    ASSERT_TRUE(::SetFileAttributesW(systemPath(dir / "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::SetFileAttributesW(systemPath(dir / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(platform::locatePath(dir.path()), "*.*", entries));
    ASSERT_EQ(entries.size(), 3u);  // hidden files are listed too
    EXPECT_EQ(entries[0].name, "hidden.txt");
    EXPECT_FALSE(entries[0].isReadOnly);
    EXPECT_EQ(entries[0].size, 2);
    EXPECT_EQ(entries[1].name, "plain.txt");
    EXPECT_FALSE(entries[1].isReadOnly);
    EXPECT_EQ(entries[2].name, "readonly.txt");
    EXPECT_TRUE(entries[2].isReadOnly);
    for (const auto& entry : entries) {
        EXPECT_FALSE(entry.isDirectory) << entry.name;
        EXPECT_FALSE(entry.isLink) << entry.name;
    }
}

TEST_F(PlatformWin32, DriveRelativeSearch) {
    ASSERT_TRUE(writeFile(dir / "here.md", ""));
    ASSERT_GE(dir.path().size(), 2u);
    ASSERT_EQ(dir.path()[1], ':');
    InDirectory inside(dir.path());
    ASSERT_TRUE(inside.ok());
    // "c:*.md" searches the drive's current directory.
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::findFiles(platform::locatePath(dir.path().substr(0, 2)), "*.md", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "here.md");
    ASSERT_TRUE(platform::describeEntry(entries[0]));
    EXPECT_TRUE(entries[0].identity == platform::fileIdentity(dir.at("here.md")));
    // The drive's root.
    ASSERT_TRUE(platform::findFiles(platform::locatePath(dir.path().substr(0, 2) + "\\"), "*", entries));
    bool directoryFound = false;
    for (const auto& entry : entries) directoryFound = directoryFound || entry.isDirectory;
    EXPECT_TRUE(directoryFound);
}

// ------------------------------------------------------- descriptors, lock

TEST_F(PlatformWin32, LockIsASharingMode) {
    const std::string path = dir / "lock";
    platform::ExclusiveFileLock lock;
    std::string err;
    ASSERT_TRUE(lock.acquire(platform::FileLocation{path}, &err)) << err;
    // Nobody else may open the file meanwhile, but anyone may identify it.
    errno = 0;
    EXPECT_EQ(platform::openFile(path.c_str(), platform::OpenMode::Read), -1);
    EXPECT_EQ(errno, EACCES);
    EXPECT_TRUE(platform::fileIdentity(platform::locatePath(path)) == lock.identity());
    lock.release();
    EXPECT_FALSE(platform::fileIdentity(platform::locatePath(path)).exists);
}

TEST_F(PlatformWin32, IdentityOfAWriteOnlyDescriptor) {
    // A redirection opens its file for writing only.
    int fd = ::_wopen(systemPath(dir / "out.txt").c_str(), _O_WRONLY | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    ASSERT_GE(fd, 0);
    const platform::FileIdentity identity = platform::descriptorIdentity(fd);
    EXPECT_TRUE(identity.exists);
    EXPECT_TRUE(identity == platform::fileIdentity(dir.at("out.txt")));
    ::_close(fd);
    int ends[2];
    ASSERT_TRUE(makePipe(ends));
    EXPECT_FALSE(platform::descriptorIdentity(ends[0]).exists);  // not a disk file
    platform::closeDescriptor(ends[0]);
    platform::closeDescriptor(ends[1]);
}

// ------------------------------------------------------ result attributes

TEST_F(PlatformWin32, ResultTakesTheInputsAttributes) {
    // Wine keeps these two (not the not-indexed one, and it shows every
    // file as archived).
    const DWORD shown = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const struct {
        const char* name;
        DWORD attributes;
        bool followLinks;  // which way openInput opens the input
    } cases[] = {
        {"hidden", FILE_ATTRIBUTE_HIDDEN, false},
        {"system", FILE_ATTRIBUTE_SYSTEM, true},
        {"hidden and system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
        {"neither", 0, true},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string input = dir / ("input" + std::to_string(index) + ".txt");
        ASSERT_TRUE(writeFile(input, "text"));
        if (c.attributes != 0) {
            ASSERT_TRUE(::SetFileAttributesW(systemPath(input).c_str(), c.attributes));
        }
        int from = platform::openInput(platform::locatePath(input), true, c.followLinks);
        ASSERT_GE(from, 0) << std::strerror(errno);
        platform::FileFacts facts;
        ASSERT_TRUE(platform::describeDescriptor(from, facts));
        const platform::FileLocation result = dir.at("result" + std::to_string(index++) + ".txt");
        platform::FileFacts made;
        int to = platform::createPrivateFile(result, made);
        ASSERT_GE(to, 0) << std::strerror(errno);
        EXPECT_TRUE(platform::writeAll(to, "converted", 9));
        EXPECT_TRUE(platform::copyAttributes(to, made, from, facts)) << std::strerror(errno);
        platform::closeDescriptor(from);
        EXPECT_TRUE(platform::closeDescriptorChecked(to));
        EXPECT_EQ(::GetFileAttributesW(systemPath(result.native).c_str()) & shown, c.attributes);
        EXPECT_EQ(readFile(result.native), "converted");
    }
}

TEST(PlatformWin32Process, StandardDescriptorsAreBinary) {
    platform::initProcess();
    for (int descriptor : {0, 1, 2}) {
        // The mode before this call is the one initProcess left.
        EXPECT_EQ(::_setmode(descriptor, _O_BINARY), _O_BINARY) << descriptor;
    }
}

}  // namespace
