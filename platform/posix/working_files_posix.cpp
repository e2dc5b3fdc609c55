#include "platform/working_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_ops.h"
#include "platform/posix/open_directory.h"
#include "platform/posix/stat_identity.h"

namespace platform {

bool describeDescriptor(int descriptor, FileFacts& facts) {
    struct stat info;
    if (::fstat(descriptor, &info) != 0) return false;
    facts.identity = identityOf(info);
    facts.isRegular = S_ISREG(info.st_mode);
    facts.size = static_cast<std::int64_t>(info.st_size);
    facts.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    facts.mode = static_cast<unsigned>(info.st_mode & 07777);
    facts.owner = static_cast<unsigned>(info.st_uid);
    facts.group = static_cast<unsigned>(info.st_gid);
    return true;
}

static const char* kindOf(const struct stat& info) {
    if (S_ISLNK(info.st_mode)) return "lien symbolique";
    if (S_ISDIR(info.st_mode)) return "r\xC3\xA9pertoire";
    if (S_ISREG(info.st_mode)) return "fichier \xC3\xA0 plusieurs liens";
    return "fichier sp\xC3\xA9" "cial";
}

// 1: a plain file stands there, 0: nothing, -1: something else (`err` set).
static int examine(const FileLocation& name, std::string* err) {
    struct stat info;
    if (::fstatat(baseOf(name), pathOf(name), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return 0;
        *err = name.native + ": " + std::strerror(errno);
        return -1;
    }
    if (!S_ISREG(info.st_mode) || info.st_nlink != 1) {
        *err = name.native + " (" + kindOf(info) + ")";
        errno = EEXIST;
        return -1;
    }
    return 1;
}

bool isPlainFileOrNothing(const FileLocation& name, std::string* err) { return examine(name, err) >= 0; }

static int createFile(const FileLocation& name, mode_t permissions, FileFacts& made) {
    int fd;
    do {
        fd = ::openat(baseOf(name), pathOf(name), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, permissions);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    // The identity is what the cleanup at exit compares before it removes
    // the name; the group may be the directory's rather than the process's.
    if (!describeDescriptor(fd, made)) {
        int saved = errno;
        ::close(fd);
        ::unlinkat(baseOf(name), pathOf(name), 0);
        errno = saved;
        return -1;
    }
    return fd;
}

int createPrivateFile(const FileLocation& name, FileFacts& made) { return createFile(name, 0600, made); }

// True while `name` holds the file `identity` names; ENOENT otherwise.
static bool holdsFile(const FileLocation& name, const FileIdentity& identity) {
    struct stat info;
    if (::fstatat(baseOf(name), pathOf(name), &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (identityOf(info) == identity) return true;
    errno = ENOENT;
    return false;
}

bool removeIfSame(const FileLocation& name, const FileIdentity& identity) {
    return holdsFile(name, identity) && ::unlinkat(baseOf(name), pathOf(name), 0) == 0;
}

bool renameIfSame(const FileLocation& source, const FileIdentity& identity, const FileLocation& target,
                  const FileIdentity& targetIdentity) {
    if (!holdsFile(source, identity)) return false;
    if (targetIdentity.exists && !holdsFile(target, targetIdentity)) return false;
    return moveFile(source, target, targetIdentity.exists);
}

}  // namespace platform
