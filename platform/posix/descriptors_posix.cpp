#include "platform/descriptors.h"
#include "platform/open_file.h"

#include <string>

#include "platform/posix/native_paths.h"
#include "platform/posix/open_directory.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int duplicateDescriptor(int descriptor) { return ::dup(descriptor); }

bool duplicateOnto(int source, int target) {
    int result;
    do {
        result = ::dup2(source, target);
    } while (result < 0 && errno == EINTR);
    return result >= 0;
}

void closeDescriptor(int descriptor) { ::close(descriptor); }

bool closeDescriptorChecked(int descriptor) { return ::close(descriptor) == 0; }

long long descriptorSize(int descriptor) {
    struct stat info;
    if (::fstat(descriptor, &info) != 0) return -1;
    return static_cast<long long>(info.st_size);
}

bool truncateDescriptor(int descriptor, long long size) {
    return ::ftruncate(descriptor, static_cast<off_t>(size)) == 0;
}

bool isTerminal(int descriptor) { return ::isatty(descriptor) > 0; }

long writeSome(int descriptor, const char* data, std::size_t length) {
    for (;;) {
        ssize_t n = ::write(descriptor, data, length);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;
        return n > 0 ? static_cast<long>(n) : -1;
    }
}

long readSome(int descriptor, char* data, std::size_t capacity) {
    for (;;) {
        ssize_t n = ::read(descriptor, data, capacity);
        if (n < 0 && errno == EINTR) continue;
        return static_cast<long>(n);
    }
}

bool dropFinalCtrlZ(int fd) {
    struct stat info;
    if (::fstat(fd, &info) != 0) return false;
    if (!S_ISREG(info.st_mode) || info.st_size == 0) return true;
    char last = 0;
    if (::pread(fd, &last, 1, info.st_size - 1) != 1) return false;
    if (last == 0x1A && ::ftruncate(fd, info.st_size - 1) != 0) return false;
    return true;
}

int openPath(const char* path, OpenMode mode) {
    const int flags = openFlags(mode);
    int fd = -1;
    // A file to read is tried as written first: the lookup ignoring case is
    // needed only when that name does not exist. A file to write must be
    // looked up first, or a new file would stand beside the one meant.
    if (mode == OpenMode::Read) {
        do {
            fd = ::open(directPath(path).c_str(), flags | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != ENOENT) return fd;
    }
    const std::string native = nativePath(path);
    // Appending reads too, for a file's last byte; but a FIFO opened for
    // reading and writing takes the text with no reader waiting for it, and
    // drops it at the close. So that open does not wait, and what is not a
    // plain file is opened again for writing alone, waiting for its reader
    // as a shell's >> does.
    const bool append = mode == OpenMode::Append;
    do {
        fd = ::open(native.c_str(), flags | O_CLOEXEC | (append ? O_NONBLOCK | O_NOCTTY : 0), 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 || !append) return fd;
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        closeDescriptorQuietly(fd);
        return -1;
    }
    if (S_ISREG(info.st_mode)) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
    }
    ::close(fd);
    do {
        fd = ::open(native.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace platform

namespace platform {

int openInput(const FileLocation& location, bool plainFilesOnly, bool followLinks) {
    int flags = O_RDONLY | O_NOCTTY | O_CLOEXEC;
    if (!followLinks) flags |= O_NOFOLLOW;
    // Reads of a regular file never wait, whatever this flag says.
    if (plainFilesOnly) flags |= O_NONBLOCK;
    int fd;
    do {
        fd = ::openat(baseOf(location), pathOf(location), flags);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace platform
