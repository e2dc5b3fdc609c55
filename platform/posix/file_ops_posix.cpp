#include "platform/file_ops.h"

#include "platform/exit_cleanup.h"
#include "platform/paths.h"
#include "platform/working_files.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/stat_identity.h"
#include <vector>

namespace platform {

bool removeFile(const std::string& path, PathLookup lookup) {
    return ::unlink(nativePath(path, lookup).c_str()) == 0;
}

// Closes a descriptor without disturbing errno, for cleanup after a failure.
static void closeQuietly(int fd) {
    int saved = errno;
    ::close(fd);
    errno = saved;
}

static void unlinkQuietly(const std::string& path) {
    int saved = errno;
    ::unlink(path.c_str());
    errno = saved;
}

static bool copyAll(int from, int to) {
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) return true;
        const char* data = buffer;
        std::size_t left = static_cast<std::size_t>(got);
        while (left > 0) {
            ssize_t put = ::write(to, data, left);
            if (put < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (put == 0) {
                errno = EIO;
                return false;
            }
            data += put;
            left -= static_cast<std::size_t>(put);
        }
    }
}

// Writes the source's bytes into a new, flushed file beside the target and
// renames it over the target, so the target is either the old file or the
// complete new one, never a partial copy.
// Renames `from` to `to`; without `replaceExisting` only while `to` does not
// exist, decided by the system in the same step.
static bool renameFile(const std::string& from, const std::string& to, bool replaceExisting) {
    if (replaceExisting) return ::rename(from.c_str(), to.c_str()) == 0;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without that kind of rename: a new link cannot replace
    // anything either.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

static bool copyOver(const std::string& source, const std::string& target, bool replaceExisting) {
    int in;
    do {
        in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    } while (in < 0 && errno == EINTR);
    if (in < 0) return false;
    FileFacts facts;
    if (!describeDescriptor(in, facts)) {
        closeQuietly(in);
        return false;
    }
    if (!facts.isRegular) {
        // Only file contents can be copied; anything else keeps the
        // rename's answer.
        closeQuietly(in);
        errno = EXDEV;
        return false;
    }

    std::size_t slash = target.find_last_of('/');
    std::string directory = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    // The decorated name must still fit the file system's limit on names.
    if (base.size() > 200) base.resize(200);
    std::string temporaryName = directory + "." + base + ".txt2vb-XXXXXX";
    std::vector<char> pattern(temporaryName.begin(), temporaryName.end());
    pattern.push_back('\0');
    int out = ::mkstemp(pattern.data());
    if (out < 0) {
        closeQuietly(in);
        return false;
    }
    temporaryName = pattern.data();
    ::fcntl(out, F_SETFD, FD_CLOEXEC);
    // The copy is made exclusively and readable by its owner alone (as
    // mkstemp creates it); it takes the source's owner and mode only once
    // it is whole, and goes however the process ends until it is in place.
    // A copy that cannot be examined is not made: its owner decides what
    // the copy may be given.
    FileFacts made;
    const bool described = describeDescriptor(out, made);
    int exitSlot = described ? removeAtExit(FileLocation{temporaryName}, made.identity) : -1;

    bool ok = described && copyAll(in, out) && copyOwnerAndMode(out, made, facts) && ::fsync(out) == 0;
    closeQuietly(in);
    if (!ok) {
        closeQuietly(out);
        unlinkQuietly(temporaryName);
        keepAtExit(exitSlot);
        return false;
    }
    // A failing close can be the first report of a failed write.
    if (::close(out) != 0 || !renameFile(temporaryName, target, replaceExisting)) {
        unlinkQuietly(temporaryName);
        keepAtExit(exitSlot);
        return false;
    }
    keepAtExit(exitSlot);
    return true;
}

bool moveFile(const std::string& source, const std::string& target, PathLookup sourceLookup) {
    return moveFile(FileLocation{nativePath(source, sourceLookup)}, locatePath(target));
}

bool moveFile(const FileLocation& source, const FileLocation& target, bool replaceExisting) {
    const std::string& from = source.native;
    const std::string& to = target.native;
    if (renameFile(from, to, replaceExisting)) return true;
    if (errno != EXDEV) return false;
    if (!copyOver(from, to, replaceExisting)) return false;
    // The target is complete; the source goes only now. Should that fail,
    // the move has still happened, the data merely exists twice.
    ::unlink(from.c_str());
    return true;
}

FileIdentity fileIdentity(const std::string& path, PathLookup lookup) {
    struct stat info;
    if (::stat(nativePath(path, lookup).c_str(), &info) != 0) return FileIdentity();
    return identityOf(info);
}

FileIdentity fileIdentity(const FileLocation& location) {
    struct stat info;
    if (::stat(location.native.c_str(), &info) != 0) return FileIdentity();
    return identityOf(info);
}

bool removeFile(const FileLocation& location) { return ::unlink(location.native.c_str()) == 0; }

FileIdentity descriptorIdentity(int descriptor) {
    struct stat info;
    if (::fstat(descriptor, &info) != 0) return FileIdentity();
    return identityOf(info);
}

}  // namespace platform
