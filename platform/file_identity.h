// Which file a name or a descriptor refers to, whatever the name.
#pragma once

#include <cstdint>

namespace platform {

struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;  // device, or volume serial number
    std::uint64_t inode = 0;   // inode, or file index
    bool operator==(const FileIdentity& other) const {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

}  // namespace platform
