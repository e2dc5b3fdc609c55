#include "platform/working_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/stat_identity.h"

namespace platform {

bool describeDescriptor(int descriptor, FileFacts& facts) {
    struct stat info;
    if (::fstat(descriptor, &info) != 0) return false;
    facts.identity = identityOf(info);
    facts.isRegular = S_ISREG(info.st_mode);
    facts.size = static_cast<std::int64_t>(info.st_size);
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
    if (::lstat(name.native.c_str(), &info) != 0) {
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

bool clearWorkingName(const FileLocation& name, std::string* err) {
    int found = examine(name, err);
    if (found <= 0) return found == 0;
    if (::unlink(name.native.c_str()) != 0 && errno != ENOENT) {
        *err = name.native + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

static int createFile(const FileLocation& name, mode_t permissions, FileFacts& made) {
    int fd;
    do {
        fd = ::open(name.native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, permissions);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    // The identity is what the cleanup at exit compares before it removes
    // the name; the group may be the directory's rather than the process's.
    if (!describeDescriptor(fd, made)) {
        int saved = errno;
        ::close(fd);
        ::unlink(name.native.c_str());
        errno = saved;
        return -1;
    }
    return fd;
}

int createPrivateFile(const FileLocation& name, FileFacts& made) { return createFile(name, 0600, made); }

int createResultFile(const FileLocation& name, const FileFacts& like, FileFacts& made) {
    // A new file is the process's, in its group unless the directory
    // gives it its own.
    static const unsigned user = static_cast<unsigned>(::geteuid());
    static const unsigned group = static_cast<unsigned>(::getegid());
    if (like.owner != user || like.group != group) return createPrivateFile(name, made);
    int fd = createFile(name, static_cast<mode_t>(like.mode & 0777), made);
    if (fd < 0 || (made.owner == like.owner && made.group == like.group)) return fd;
    // The directory gave it another group, whose members the permissions
    // may let in: nothing is written to it, and a private file is made
    // in its place.
    ::close(fd);
    if (!removeIfSame(name, made.identity)) {
        errno = EEXIST;
        return -1;
    }
    return createPrivateFile(name, made);
}

bool copyOwnerAndMode(int descriptor, const FileFacts& made, const FileFacts& input) {
    unsigned mode = input.mode;
    // Only root may give a file away; anyone may try, and the answer
    // decides whether the set-id bits may follow. A file that has the
    // input's owner and group already keeps them without asking.
    const bool sameOwner = made.owner == input.owner && made.group == input.group;
    if (!sameOwner &&
        ::fchown(descriptor, static_cast<uid_t>(input.owner), static_cast<gid_t>(input.group)) != 0) {
        mode &= ~static_cast<unsigned>(S_ISUID | S_ISGID);
    }
    if (sameOwner && made.mode == mode) return true;
    return ::fchmod(descriptor, static_cast<mode_t>(mode)) == 0;
}

bool removeIfSame(const FileLocation& name, const FileIdentity& identity) {
    struct stat info;
    if (::lstat(name.native.c_str(), &info) != 0) return false;
    if (identityOf(info) != identity) return false;
    return ::unlink(name.native.c_str()) == 0;
}

}  // namespace platform
