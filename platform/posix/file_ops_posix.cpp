#include "platform/file_ops.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/stat_identity.h"

namespace platform {

bool moveFile(const FileLocation& source, const FileLocation& target, bool replaceExisting) {
    const char* from = source.native.c_str();
    const char* to = target.native.c_str();
    if (replaceExisting) return ::rename(from, to) == 0;
    // The system decides in the same step that nothing stands there.
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without that kind of rename: a new link cannot replace
    // anything either.
    if (::link(from, to) != 0) return false;
    ::unlink(from);
    return true;
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
