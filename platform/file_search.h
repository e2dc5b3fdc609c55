// Wildcard file search in a directory the platform has located.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_identity.h"
#include "platform/file_location.h"
#include "platform/names.h"

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
};

// Lists the entries of `directory` (a location the platform made) whose
// names match `pattern`, a name pattern with the wildcards * and ? (matched
// ignoring case; "*.*" matches every name). The entries come sorted by
// name, ignoring case, and the listing is taken whole when the search
// starts. Nothing matching, or a directory that does not exist, is no
// error: the call succeeds with no entries. Returns false (errno set) when
// the listing or an entry cannot be read; `entries` then holds what could
// be read.
// With `directoriesOnly` the caller wants directories alone: entries known
// not to be directories may be left out, and identities are not filled in
// (on some systems either costs a call per entry).
bool findFiles(const FileLocation& directory, const std::string& pattern, std::vector<DirectoryEntry>& entries,
               bool directoriesOnly = false);

}  // namespace platform
