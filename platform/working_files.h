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
    unsigned mode = 0;  // permission bits, set-id bits included
    unsigned owner = 0;
    unsigned group = 0;
};
// False (errno set) when the descriptor cannot be examined.
bool describeDescriptor(int descriptor, FileFacts& facts);

// True when nothing stands under `name`, or a regular file with one link;
// otherwise `err` tells what stands there.
bool isPlainFileOrNothing(const FileLocation& name, std::string* err);

// Makes `name` free for a working file of the run: nothing stands there, or
// a regular file with one link (left by a run that was killed), which is
// removed. Anything else (a link, a hard link, a directory, a device) is
// left alone and the call fails with `err` telling what it found.
bool clearWorkingName(const FileLocation& name, std::string* err);

// Creates `name` anew, readable and writable by its owner only; it never
// opens what already stands there. Returns the descriptor and what the new
// file is (its identity, owner and group), or -1 (errno set).
int createPrivateFile(const FileLocation& name, FileFacts& made);

// Creates `name` anew, as createPrivateFile does, for a result that is to
// take the permissions of the file `like` describes. When the new file has
// `like`'s owner and group from the start, it is made with `like`'s
// permission bits (the set-id bits aside) and keeps them: it may then be
// read and written by whom `like`, and the result once in place, may. In
// any other case it is private, as createPrivateFile makes it.
int createResultFile(const FileLocation& name, const FileFacts& like, FileFacts& made);

// Gives the file open on `descriptor`, which `made` describes, the owner
// and group of `input` where the process may (as root), then its
// permissions. The set-user-ID and set-group-ID bits are carried over only
// when owner and group both are. Owner, group and permissions that are
// already the input's are left as they are.
bool copyOwnerAndMode(int descriptor, const FileFacts& made, const FileFacts& input);

// Removes `name` only while it is still the file `identity` names, so a
// file someone put in its place since is left alone.
bool removeIfSame(const FileLocation& name, const FileIdentity& identity);

}  // namespace platform
