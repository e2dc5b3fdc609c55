// A directory held open, and the two halves of a location the *at() calls
// take.
#pragma once

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/file_location.h"

namespace platform {

class OpenDirectory {
public:
    explicit OpenDirectory(int descriptor) : descriptor_(descriptor) {}
    ~OpenDirectory() { ::close(descriptor_); }
    OpenDirectory(const OpenDirectory&) = delete;
    OpenDirectory& operator=(const OpenDirectory&) = delete;
    int descriptor() const { return descriptor_; }

private:
    int descriptor_;
};

// The directory descriptor `location.native` is taken from.
inline int baseOf(const FileLocation& location) {
    return location.base ? location.base->descriptor() : AT_FDCWD;
}
// The path relative to it ("." for an empty one).
inline const char* pathOf(const FileLocation& location) {
    return location.native.empty() ? "." : location.native.c_str();
}

// A fresh listing of `directory`, through the open directory when there is
// one (each listing reads from its own start), or nullptr (errno set).
inline DIR* openListing(const FileLocation& directory) {
    int fd;
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    do {
        fd = directory.self ? ::openat(directory.self->descriptor(), ".", flags)
                            : ::openat(baseOf(directory), pathOf(directory), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
    DIR* listing = ::fdopendir(fd);
    if (listing == nullptr) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
    }
    return listing;
}

}  // namespace platform
