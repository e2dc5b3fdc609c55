// What a result takes from its input once it is complete: owner and group,
// extended attributes (the access ACL among them) and mode.
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include "platform/working_files.h"

namespace platform {

namespace {

// The extended attribute that holds a file's POSIX access ACL.
const char kAccessAcl[] = "system.posix_acl_access";

bool unsupported(int error) { return error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS; }

// Reads what `read` gives into `buffer`, growing it while the answer grows
// between the call that asks for the size and the one that reads.
template <typename Read>
bool readGrowing(std::vector<char>& buffer, ssize_t& length, Read read) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        length = read(nullptr, 0);
        if (length <= 0) return length == 0;
        buffer.resize(static_cast<std::size_t>(length));
        length = read(buffer.data(), buffer.size());
        if (length >= 0) return true;
        if (errno != ERANGE) return false;
    }
    return false;
}

// Copies every extended attribute of `from` that the process may set onto
// `to`; the access ACL must be copied, or removed from `to` when `from` has
// none. False (errno set) when that cannot be done.
bool copyExtendedAttributes(int to, int from) {
    std::vector<char> names;
    ssize_t length = 0;
    if (!readGrowing(names, length, [from](char* data, std::size_t size) { return ::flistxattr(from, data, size); })) {
        if (!unsupported(errno)) return false;
        length = 0;
    }
    bool hasAcl = false;
    std::vector<char> value;
    for (ssize_t at = 0; at < length;) {
        const char* name = names.data() + at;
        at += static_cast<ssize_t>(std::strlen(name)) + 1;
        const bool isAcl = std::strcmp(name, kAccessAcl) == 0;
        ssize_t size = 0;
        if (!readGrowing(value, size,
                         [from, name](char* data, std::size_t room) { return ::fgetxattr(from, name, data, room); })) {
            // Removed meanwhile: there is nothing to copy.
            if (errno == ENODATA) continue;
            if (isAcl) return false;
            continue;
        }
        hasAcl = hasAcl || isAcl;
        // Attributes the process may not set (another user's trusted.*,
        // a security label the policy refuses) are left out.
        if (::fsetxattr(to, name, value.data(), static_cast<std::size_t>(size), 0) != 0 && isAcl) return false;
    }
    // The directory's default ACL may have given the new file an access
    // ACL: an input without one leaves the result without one.
    if (!hasAcl && ::fremovexattr(to, kAccessAcl) != 0 && errno != ENODATA && !unsupported(errno)) return false;
    return true;
}

}  // namespace

bool copyAttributes(int descriptor, const FileFacts& made, int inputDescriptor, const FileFacts& input) {
    bool ownerKept = made.owner == input.owner;
    bool groupKept = made.group == input.group;
    // Only root may give a file away; a member of the input's group may
    // give it that group. Anyone may try: the answer decides what follows.
    if (!ownerKept || !groupKept) {
        const uid_t owner = ownerKept ? static_cast<uid_t>(-1) : static_cast<uid_t>(input.owner);
        const gid_t group = groupKept ? static_cast<gid_t>(-1) : static_cast<gid_t>(input.group);
        if (::fchown(descriptor, owner, group) == 0) {
            ownerKept = groupKept = true;
        } else if (!ownerKept && !groupKept && ::fchown(descriptor, static_cast<uid_t>(-1), group) == 0) {
            groupKept = true;
        }
    }
    if (!copyExtendedAttributes(descriptor, inputDescriptor)) return false;
    unsigned mode = input.mode;
    if (!ownerKept || !groupKept) mode &= ~static_cast<unsigned>(S_ISUID | S_ISGID);
    // The group the result has instead may not have what the input's had.
    if (!groupKept) mode &= ~static_cast<unsigned>(S_IRWXG);
    return ::fchmod(descriptor, static_cast<mode_t>(mode)) == 0;
}

}  // namespace platform
