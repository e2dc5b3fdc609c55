// Wildcard file search in a directory the platform has located.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_identity.h"
#include "platform/file_location.h"
#include "platform/names.h"
#include "platform/working_files.h"

namespace platform {

struct DirectoryEntry {
    std::string name;  // without its directory
    FileLocation location;     // how the platform reaches it
    bool isDirectory = false;  // a link to a directory counts as one
    bool isReadOnly = false;   // the owner may not write it
    bool isLink = false;       // a symbolic link (or reparse point): never descended
    bool isRegular = false;    // a plain file (a link's target): not a FIFO, device or socket
    std::int64_t size = 0;
    FileIdentity identity;     // of the file (a link's target)
    // False when the listing told the kind (isDirectory, isLink, isRegular)
    // but not the rest (isReadOnly, size, identity): where the system's
    // listing says what an entry is, nothing more is asked per entry.
    // describeEntry() fills the rest in, or completeEntry() from the facts
    // of the file opened under the entry's location.
    bool described = false;
};

// Looks at the entry's file and fills in what the listing left out. False
// (errno set, ENOENT when it has gone since the listing) when it cannot.
bool describeEntry(DirectoryEntry& entry);
// Fills in what the listing left out from the facts of the file opened
// under the entry's location.
void completeEntry(DirectoryEntry& entry, const FileFacts& facts);

// Lists the entries of `directory` (a location the platform made) whose
// names match `pattern`, a name pattern with the wildcards * and ? (matched
// ignoring case; "*.*" matches every name). The entries come sorted by
// name, ignoring case, and the listing is taken whole when the search
// starts. Nothing matching, or a directory that does not exist, is no
// error: the call succeeds with no entries. Returns false (errno set) when
// the listing or an entry cannot be read; `entries` then holds what could
// be read.
// With `directoriesOnly` the caller wants directories alone: entries known
// not to be directories may be left out (on some systems looking at an
// entry costs a call).
bool findFiles(const FileLocation& directory, const std::string& pattern, std::vector<DirectoryEntry>& entries,
               bool directoriesOnly = false);

// The entry of `directory` named `name` exactly: no wildcard, no case
// ignored, every byte part of the one name. As findFiles, `entries` holds
// it (described), or nothing when no entry has that name; false (errno set)
// when it cannot be examined.
bool findExactName(const FileLocation& directory, const std::string& name, std::vector<DirectoryEntry>& entries);

}  // namespace platform
