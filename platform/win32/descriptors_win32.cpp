#include "platform/descriptors.h"
#include "platform/open_file.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "platform/win32/wide_paths.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/windows_api.h"

namespace platform {

// The runtime's read and write take an unsigned int count; larger requests
// go through in pieces of this size.
static const std::size_t kLargestTransfer = 1u << 30;

int duplicateDescriptor(int descriptor) { return ::_dup(descriptor); }

bool duplicateOnto(int source, int target) { return ::_dup2(source, target) == 0; }

void closeDescriptor(int descriptor) { ::_close(descriptor); }

bool closeDescriptorChecked(int descriptor) { return ::_close(descriptor) == 0; }

long long descriptorSize(int descriptor) { return ::_filelengthi64(descriptor); }

bool truncateDescriptor(int descriptor, long long size) {
    errno_t result = ::_chsize_s(descriptor, size);
    if (result != 0) {
        errno = result;
        return false;
    }
    return true;
}

bool isTerminal(int descriptor) {
    // The runtime calls every character device a terminal, the NUL device
    // included; only a console is one.
    if (!::_isatty(descriptor)) return false;
    HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

long writeSome(int descriptor, const char* data, std::size_t length) {
    std::size_t chunk = length < kLargestTransfer ? length : kLargestTransfer;
    int n = ::_write(descriptor, data, static_cast<unsigned int>(chunk));
    // Nothing taken and no error: the device is full.
    if (n == 0) errno = ENOSPC;
    return n > 0 ? n : -1;
}

long readSome(int descriptor, char* data, std::size_t capacity) {
    std::size_t chunk = capacity < kLargestTransfer ? capacity : kLargestTransfer;
    return ::_read(descriptor, data, static_cast<unsigned int>(chunk));
}

// The descriptor is open for reading and writing.
bool dropFinalCtrlZ(int fd) {
    struct _stati64 info;
    if (::_fstati64(fd, &info) != 0) return false;
    if ((info.st_mode & _S_IFMT) != _S_IFREG || info.st_size == 0) return true;
    if (::_lseeki64(fd, info.st_size - 1, SEEK_SET) < 0) return false;
    char last = 0;
    if (::_read(fd, &last, 1) != 1) return false;
    if (last == 0x1A && !truncateDescriptor(fd, info.st_size - 1)) return false;
    // Writes go to the end whatever the position (_O_APPEND); reads start
    // from the beginning, as after any open.
    return ::_lseeki64(fd, 0, SEEK_SET) >= 0;
}

int openPath(const char* path, OpenMode mode) {
    const int flags = openFlags(mode);
    // Binary: the text-mode streams above do the conversions themselves, so
    // both builds write and read the same bytes. Not inherited: the tool
    // starts no other process. The file system finds names ignoring case by
    // itself, so every lookup is the same.
    int fd = -1;
    errno_t result = ::_wsopen_s(&fd, win32::systemPath(path).c_str(), flags | _O_BINARY | _O_NOINHERIT, _SH_DENYNO,
                                 _S_IREAD | _S_IWRITE);
    if (result != 0) {
        errno = result;
        return -1;
    }
    return fd;
}

}  // namespace platform

namespace platform {

// Opening never waits here: Windows lists no FIFOs, and the caller looks at
// what it opened either way.
int openInput(const FileLocation& location, bool, bool followLinks) {
    const std::wstring name = win32::systemPath(location.native);
    if (!followLinks) {
        // The reparse point itself is opened, never what it names, and
        // refused once it is seen to be one.
        HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            win32::setErrnoFromError(::GetLastError());
            return -1;
        }
        BY_HANDLE_FILE_INFORMATION info;
        if (!::GetFileInformationByHandle(file, &info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            ::CloseHandle(file);
            errno = ELOOP;
            return -1;
        }
        int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
        if (fd < 0) ::CloseHandle(file);
        return fd;
    }
    int fd = -1;
    errno_t result = ::_wsopen_s(&fd, name.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, _S_IREAD);
    if (result != 0) {
        errno = result;
        return -1;
    }
    return fd;
}

}  // namespace platform
