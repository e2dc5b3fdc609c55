// An exclusive lock between processes, held on a named file.
#pragma once

#include <string>

#include "platform/file_identity.h"
#include "platform/file_location.h"

namespace platform {

// Waits until no other process holds the lock on the file `name` (created
// if missing), then holds it until release() or the process ends. A lock
// file removed by its holder is noticed, and the file made anew is locked
// instead, so two waiters never both go ahead. Only a regular file with one
// link is taken as a lock file: a link or a device under that name ends the
// attempt. While held, the file is removed however the process ends; it
// is never written.
class ExclusiveFileLock {
public:
    ExclusiveFileLock() = default;
    ~ExclusiveFileLock() { release(); }
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

    // False when the file cannot be made, checked or locked; `err` says
    // which and why, and errno holds the reason (a caller may go on without
    // a lock where the directory may not be written).
    bool acquire(const FileLocation& name, std::string* err);
    // Removes the lock file (while it is still the one held) and lets go.
    void release();
    bool held() const { return descriptor_ >= 0; }
    const FileIdentity& identity() const { return identity_; }

private:
    int descriptor_ = -1;
    int exitSlot_ = -1;
    FileLocation name_;
    FileIdentity identity_;
};

}  // namespace platform
