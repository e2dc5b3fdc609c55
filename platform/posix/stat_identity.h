// The identity of a file from what stat told about it.
#pragma once

#include <sys/stat.h>

#include "platform/file_identity.h"

namespace platform {

inline FileIdentity identityOf(const struct stat& info) {
    FileIdentity identity;
    identity.exists = true;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    return identity;
}

}  // namespace platform
