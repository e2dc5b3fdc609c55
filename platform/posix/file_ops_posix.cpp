#include "platform/file_ops.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/open_directory.h"
#include "platform/posix/stat_identity.h"

namespace platform {

bool moveFile(const FileLocation& source, const FileLocation& target, bool replaceExisting) {
    const int fromBase = baseOf(source);
    const int toBase = baseOf(target);
    const char* from = pathOf(source);
    const char* to = pathOf(target);
    if (replaceExisting) return ::renameat(fromBase, from, toBase, to) == 0;
    // The system decides in the same step that nothing stands there.
    if (::renameat2(fromBase, from, toBase, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without that kind of rename: a new link cannot replace
    // anything either.
    if (::linkat(fromBase, from, toBase, to, 0) != 0) return false;
    ::unlinkat(fromBase, from, 0);
    return true;
}

FileIdentity fileIdentity(const FileLocation& location) {
    struct stat info;
    const int result = location.self ? ::fstat(location.self->descriptor(), &info)
                                     : ::fstatat(baseOf(location), pathOf(location), &info, 0);
    if (result != 0) return FileIdentity();
    return identityOf(info);
}

bool removeFile(const FileLocation& location) { return ::unlinkat(baseOf(location), pathOf(location), 0) == 0; }

FileIdentity descriptorIdentity(int descriptor) {
    struct stat info;
    if (::fstat(descriptor, &info) != 0) return FileIdentity();
    return identityOf(info);
}

}  // namespace platform
