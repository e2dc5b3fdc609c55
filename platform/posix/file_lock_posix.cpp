#include "platform/file_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/descriptors.h"
#include "platform/exit_cleanup.h"
#include "platform/posix/stat_identity.h"
#include "platform/working_files.h"

namespace platform {

static bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool ExclusiveFileLock::acquire(const FileLocation& name, std::string* err) {
    release();
    const char* path = name.native.c_str();
    for (;;) {
        if (!isPlainFileOrNothing(name, err)) return false;
        // Registered before the open may create the file: however the
        // process ends from here on, a lock file it made goes, and one
        // another run holds stays.
        const int slot = removeLockAtExit(name);
        // No link is followed and no device opened: the name must hold a
        // plain file of ours or nothing. Non-blocking, so a FIFO put there
        // cannot hold the run.
        int fd = ::open(path, O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
        if (fd < 0) {
            keepAtExit(slot);
            *err = name.native + ": " + std::strerror(errno);
            return false;
        }
        // What was opened must be what was checked: a plain file, with one
        // link (none when its holder has just removed it: then try again).
        // Where the file cannot be looked at or locked, the slot stays: at
        // the end, a file this run made goes, one another run holds stays.
        struct stat held;
        if (::fstat(fd, &held) != 0) {
            *err = name.native + ": " + std::strerror(errno);
            closeDescriptorQuietly(fd);
            return false;
        }
        if (!S_ISREG(held.st_mode) || held.st_nlink > 1) {
            ::close(fd);
            if (!isPlainFileOrNothing(name, err)) return false;
            *err = name.native + ": " + std::strerror(EEXIST);
            return false;
        }
        int result;
        do {
            result = ::flock(fd, LOCK_EX);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            *err = name.native + ": " + std::strerror(errno);
            closeDescriptorQuietly(fd);
            return false;
        }
        identifyLockAtExit(slot, identityOf(held), fd);
        // The holder may have removed the file before letting go: the lock
        // then guards nothing, and the name must be opened again.
        struct stat named;
        if (::lstat(path, &named) == 0 && sameFile(held, named)) {
            descriptor_ = fd;
            name_ = name;
            identity_ = identityOf(held);
            exitSlot_ = slot;
            return true;
        }
        keepAtExit(slot);
        ::close(fd);
    }
}

}  // namespace platform
