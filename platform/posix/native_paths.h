// Paths as the tool writes them (see platform/file_location.h), mapped to
// the POSIX file system.
#pragma once

#include <string>

#include "platform/names.h"

namespace platform {

// True when `path` begins with a drive prefix such as "c:", which stands
// for the one file-system root there is.
inline bool hasDrivePrefix(const std::string& path) {
    return path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == ':';
}

// The path with '/' separators and the drive prefix as the root, every
// component as written. Enough for a name known to exist as written, and
// spares the listings of nativePath.
std::string directPath(const std::string& path);

// As directPath, but each component that does not exist as written is
// looked up ignoring case; a component found nowhere is kept as written.
std::string nativePath(const std::string& path);

}  // namespace platform
