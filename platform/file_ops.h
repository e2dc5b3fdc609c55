// Deleting, moving and identifying files, without any command interpreter.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

bool removeFile(const std::string& path);

// Puts `source` in place of `target`, replacing an existing target:
// atomically by renaming where both lie on one file system; otherwise the
// data is copied to a new file beside the target, flushed, and renamed over
// it, and only then is the source removed. Returns false (errno set) when
// the target was not replaced; the source is then left as it was.
bool moveFile(const std::string& source, const std::string& target);

struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity& other) const {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
};

// The identity of the file a path names (links followed), or of the file
// open on a descriptor.
FileIdentity fileIdentity(const std::string& path);
FileIdentity descriptorIdentity(int descriptor);

}  // namespace platform
