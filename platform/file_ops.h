// Deleting, moving and identifying files, without any command interpreter.
#pragma once

#include <string>

#include "platform/file_identity.h"
#include "platform/file_location.h"

namespace platform {

// False (errno set) when the file was not removed.
bool removeFile(const FileLocation& location);

// Puts `source` in place of `target`, replacing an existing target:
// atomically by renaming where both lie on one file system; otherwise the
// data is copied to a new file beside the target, flushed, and renamed over
// it, and only then is the source removed. Returns false (errno set) when
// the target was not replaced; the source is then left as it was.
// With `replaceExisting` false the target must not exist: a file that
// appeared there meanwhile is left alone and the move fails with EEXIST.
bool moveFile(const FileLocation& source, const FileLocation& target, bool replaceExisting = true);

// The identity of the file a location names (links followed), or of the
// file open on a descriptor.
FileIdentity fileIdentity(const FileLocation& location);
FileIdentity descriptorIdentity(int descriptor);

}  // namespace platform
