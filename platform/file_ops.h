// Deleting, moving and identifying files, without any command interpreter.
#pragma once

#include <string>

#include "platform/file_identity.h"
#include "platform/file_location.h"

namespace platform {

// False (errno set) when the file was not removed.
bool removeFile(const FileLocation& location);

// Renames `source` to `target` in one step, replacing an existing target;
// both must lie on one file system (EXDEV otherwise). Returns false (errno
// set) when nothing was renamed. With `replaceExisting` false the target
// must not exist: a file that appeared there meanwhile is left alone and the
// move fails with EEXIST.
bool moveFile(const FileLocation& source, const FileLocation& target, bool replaceExisting = true);

// The identity of the file a location names (links followed), or of the
// file open on a descriptor.
FileIdentity fileIdentity(const FileLocation& location);
FileIdentity descriptorIdentity(int descriptor);

}  // namespace platform
