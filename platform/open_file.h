// The steps of openFile that differ between the systems, and the open
// flags both take for each OpenMode.
#pragma once

#include <fcntl.h>

#include "platform/descriptors.h"

namespace platform {

// The runtime's flags: the POSIX names, which the Windows runtime defines
// as well.
inline int openFlags(OpenMode mode) {
    switch (mode) {
        case OpenMode::Read:
            return O_RDONLY;
        case OpenMode::Overwrite:
            return O_RDWR | O_CREAT | O_TRUNC;
        case OpenMode::Append:
            return O_RDWR | O_CREAT | O_APPEND;
    }
    return O_RDONLY;
}

// Opens `path` with the flags of `mode`, binary and not inherited by other
// programs, finding the name as locatePath does. -1 on failure (errno set).
int openPath(const char* path, OpenMode mode);

// Removes one final 0x1A byte of a disk file, as a text-mode append open
// does; anything else is left as it is. False on failure (errno set).
bool dropFinalCtrlZ(int fd);

}  // namespace platform
