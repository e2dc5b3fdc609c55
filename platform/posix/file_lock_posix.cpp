#include "platform/file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool ExclusiveFileLock::acquire(const std::string& path, PathLookup lookup) {
    release();
    const std::string native = nativePath(path, lookup);
    for (;;) {
        int fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return false;
        int result;
        do {
            result = ::flock(fd, LOCK_EX);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            int saved = errno;
            ::close(fd);
            errno = saved;
            return false;
        }
        // The holder may have removed the file before letting go: the lock
        // then guards nothing, and the name must be opened again.
        struct stat held;
        struct stat named;
        if (::fstat(fd, &held) == 0 && ::stat(native.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            descriptor_ = fd;
            return true;
        }
        ::close(fd);
    }
}

void ExclusiveFileLock::release() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
}

}  // namespace platform
