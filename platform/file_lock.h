// An exclusive lock between processes, held on a named file.
#pragma once

#include <string>

#include "platform/paths.h"

namespace platform {

// Waits until no other process holds the lock on the file `path` (created
// if missing), then holds it until release() or the process ends. A lock
// file removed by its holder is noticed, and the file made anew is locked
// instead, so two waiters never both go ahead.
class ExclusiveFileLock {
public:
    ExclusiveFileLock() = default;
    ~ExclusiveFileLock() { release(); }
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

    // False (errno set) when the file cannot be created or locked.
    bool acquire(const std::string& path, PathLookup lookup = PathLookup::IgnoreCase);
    void release();
    bool held() const { return descriptor_ >= 0; }
    // The locked file, open for reading and writing.
    int descriptor() const { return descriptor_; }

private:
    int descriptor_ = -1;
};

}  // namespace platform
