// The files a replace run makes for itself: created so that nothing that
// stands under their names (a link, another user's file, a device) can make
// the run write anywhere else, and private until they take an input's place.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_identity.h"
#include "platform/file_location.h"

namespace platform {

// What one stat tells about an open file.
struct FileFacts {
    FileIdentity identity;
    bool isRegular = false;
    std::int64_t size = 0;
    std::int64_t modified = 0;  // last write, in the system's own units
    unsigned mode = 0;  // permission bits, set-id bits included
    unsigned owner = 0;
    unsigned group = 0;
};
// False (errno set) when the descriptor cannot be examined.
bool describeDescriptor(int descriptor, FileFacts& facts);

// True when nothing stands under `name`, or a regular file with one link;
// otherwise `err` tells what stands there.
bool isPlainFileOrNothing(const FileLocation& name, std::string* err);

// A fresh name for the result that is to take the place of the file named
// `target` in the same directory: ".TARGET.txt2vb-" and six random letters
// or digits (the target's name cut so that the whole fits the file
// systems' limit on names).
std::string resultNameFor(const std::string& target);
// True for a name of that form, and for the lock file's name: the names of
// the tool's working files, which are never taken as inputs.
bool isWorkingFileName(const std::string& name);
// The name of the lock file a replace run holds in its working directory.
extern const char kLockFileName[];

// Creates `name` anew, readable and writable by its owner only; it never
// opens what already stands there. A default ACL of the directory gives
// nobody else access to it either. Returns the descriptor and what the new
// file is (its identity, owner and group), or -1 (errno set).
int createPrivateFile(const FileLocation& name, FileFacts& made);

// Gives the file open on `descriptor`, which `made` describes, what the
// input open on `inputDescriptor` has, as far as the process may: its
// owner and group (the owner as root; the group also when the process's
// user is a member of it), its extended attributes, its access ACL (which
// replaces whatever a default ACL of the directory gave the new file; an
// input without one leaves the result without one) and last its mode. The
// set-user-ID and set-group-ID bits are carried over only when owner and
// group both are; when the group cannot be kept the group's permission
// bits are cleared. False (errno set) when the result would not hold the
// input's ACL or mode.
// On Windows: the input's hidden, system and not-indexed attributes; the
// result keeps the access list it inherited from the directory. False
// (errno set) when it would not hold those attributes.
bool copyAttributes(int descriptor, const FileFacts& made, int inputDescriptor, const FileFacts& input);

// Removes `name` only while it is still the file `identity` names, so a
// file someone put in its place since is left alone.
bool removeIfSame(const FileLocation& name, const FileIdentity& identity);

// Renames `source` to `target` only while `source` still names the file
// `identity` names, and never over another name: with `targetIdentity`
// given (exists), only while `target` still holds that file, which the
// rename then replaces; without it, only while nothing stands at `target`
// (EEXIST otherwise). False (errno set) when nothing was renamed (ENOENT
// when a name no longer holds its file).
bool renameIfSame(const FileLocation& source, const FileIdentity& identity, const FileLocation& target,
                  const FileIdentity& targetIdentity);

}  // namespace platform
