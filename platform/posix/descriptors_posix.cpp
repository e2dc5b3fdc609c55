#include "platform/descriptors.h"

#include <string>

#include "platform/paths.h"

#include <cerrno>
#include <cstring>
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

bool writeAll(int descriptor, const char* data, std::size_t length) {
    while (length > 0) {
        ssize_t n = ::write(descriptor, data, length);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

long readSome(int descriptor, char* data, std::size_t capacity) {
    for (;;) {
        ssize_t n = ::read(descriptor, data, capacity);
        if (n < 0 && errno == EINTR) continue;
        return static_cast<long>(n);
    }
}

// Removes one final 0x1A byte, as a text-mode append open does.
static bool dropFinalCtrlZ(int fd) {
    struct stat info;
    if (::fstat(fd, &info) != 0) return false;
    if (!S_ISREG(info.st_mode) || info.st_size == 0) return true;
    char last = 0;
    if (::pread(fd, &last, 1, info.st_size - 1) != 1) return false;
    if (last == 0x1A && ::ftruncate(fd, info.st_size - 1) != 0) return false;
    return true;
}

int openFile(const char* path, const char* mode, PathLookup lookup) {
    int flags;
    if (std::strcmp(mode, "r") == 0) {
        flags = O_RDONLY;
    } else if (std::strcmp(mode, "w+") == 0) {
        flags = O_RDWR | O_CREAT | O_TRUNC;
    } else if (std::strcmp(mode, "a+") == 0) {
        flags = O_RDWR | O_CREAT | O_APPEND;
    } else {
        errno = EINVAL;
        return -1;
    }
    int fd = -1;
    // A file to read is tried as written first: the lookup ignoring case is
    // needed only when that name does not exist. A file to write must be
    // looked up first, or a new file would stand beside the one meant.
    if (flags == O_RDONLY && lookup == PathLookup::IgnoreCase) {
        do {
            fd = ::open(nativePath(path, PathLookup::Exact).c_str(), flags | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != ENOENT) return fd;
    }
    const std::string native = nativePath(path, lookup);
    do {
        fd = ::open(native.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 && mode[0] == 'a' && !dropFinalCtrlZ(fd)) {
        int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

}  // namespace platform

namespace platform {

int openInput(const FileLocation& location, bool plainFilesOnly) {
    int flags = O_RDONLY | O_NOCTTY | O_CLOEXEC;
    // Reads of a regular file never wait, whatever this flag says.
    if (plainFilesOnly) flags |= O_NONBLOCK;
    int fd;
    do {
        fd = ::open(location.native.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace platform
