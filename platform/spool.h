// Bytes held back until they are known to be wanted: in memory up to a
// limit, beyond it in a private file no name holds. So an output that
// must not be written unless it is whole takes little memory, whatever its
// size, and short ones make no file.
#pragma once

#include <cstddef>
#include <string>

#include "platform/byte_channel.h"

namespace platform {

class Spool final : public ByteSink {
public:
    explicit Spool(std::size_t memoryLimit = kDefaultMemoryLimit) : limit_(memoryLimit) {}
    ~Spool() override { clear(); }
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    // False (errno set) when the file could not be made or written.
    bool write(const char* data, std::size_t length) override;
    // Writes everything held to `out`, in order, and lets it go. False
    // (errno set) when it could not be read back or written.
    bool copyTo(ByteSink& out);
    // Lets go of everything held.
    void clear();
    // Whether the bytes went beyond memory into the file.
    bool usesFile() const { return file_ >= 0; }

    static constexpr std::size_t kDefaultMemoryLimit = 1 << 20;

private:
    std::size_t limit_;
    std::string memory_;
    int file_ = -1;
};

}  // namespace platform
