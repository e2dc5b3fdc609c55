#include "platform/file_search.h"

namespace platform {

void completeEntry(DirectoryEntry& entry, const FileFacts& facts) {
    entry.isRegular = facts.isRegular;
    // The owner's write permission, as the listing reads it.
    entry.isReadOnly = (facts.mode & 0200u) == 0;
    entry.size = facts.size;
    entry.identity = facts.identity;
    entry.described = true;
}

}  // namespace platform
