#include "platform/file_lock.h"

#include "platform/descriptors.h"
#include "platform/exit_cleanup.h"
#include "platform/working_files.h"

namespace platform {

void ExclusiveFileLock::release() {
    if (descriptor_ < 0) return;
    // Removed while still held, so a waiter wakes to a name that is gone
    // (or, on Windows, finds it free once the handle is closed) and makes
    // it anew.
    removeIfSame(name_, identity_);
    keepAtExit(exitSlot_);
    exitSlot_ = -1;
    closeDescriptor(descriptor_);
    descriptor_ = -1;
    identity_ = FileIdentity();
}

}  // namespace platform
