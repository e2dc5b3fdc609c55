// The lock file's record of the partial copy its holder has under way.
//
// A replacement across file systems copies the result into a new file beside
// its target and renames it into place. A kill that cannot be caught leaves
// that copy behind, in a directory the next run may never list. So, while a
// run holds the working directory's lock, the lock file names the copy
// before it is created and gives its identity once it exists; the next run
// to take the lock removes what the record names, while it is still that
// file, and empties the record.
#pragma once

#include "platform/file_identity.h"
#include "platform/file_location.h"

namespace platform {

// From now on copies are recorded in `descriptor` (the held lock file, open
// for appending); -1 stops recording.
void recordPartialCopiesIn(int descriptor);

// Before the copy is created under `copy`; after it exists, with its
// identity; and once it is in place or gone. Recording is best effort: a
// record that cannot be written only means a kill would leave the copy.
void recordPartialCopyName(const FileLocation& copy);
void recordPartialCopyIdentity(const FileIdentity& identity);
void recordPartialCopyDone();

// True for a name the partial copies are given (the last component only).
bool isPartialCopyName(const std::string& base);

// Reads the record a killed holder left in `descriptor` (positioned at its
// start) and removes the copy it names, when the name is a partial copy's
// and the file there is still the one recorded (without a recorded
// identity: a plain file with one link). Then empties the record.
void removeRecordedPartialCopy(int descriptor);

}  // namespace platform
