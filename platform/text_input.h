// Buffered text-mode input stream over one descriptor.
#pragma once

#include <cstddef>

namespace platform {

// The three bytes a UTF-8 text may begin with to say it is UTF-8.
constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kUtf8ByteOrderMarkSize = sizeof kUtf8ByteOrderMark - 1;

// Delivers a descriptor's bytes as a text-mode stream does on every
// platform: a CR LF pair arrives as one line feed (also when the pair
// straddles two reads), a lone CR arrives unchanged, and a byte 0x1A ends
// the input. Reading one byte costs a few instructions; the descriptor is
// read in large blocks.
class TextInputStream {
public:
    static constexpr int kEnd = -1;

    explicit TextInputStream(int descriptor);
    TextInputStream(const TextInputStream&) = delete;
    TextInputStream& operator=(const TextInputStream&) = delete;

    // The next byte (0-255), or kEnd at the end of the input or on an error.
    int getByte() {
        if (next_ < plainEnd_) return static_cast<unsigned char>(buffer_[next_++]);
        return getByteSlow();
    }

    // Consumes a UTF-8 byte-order mark that starts the input; true when
    // there was one. Called before the first byte is read.
    bool skipByteOrderMark();

    bool atEnd() const { return atEnd_; }
    bool hasError() const { return hasError_; }
    // Drops buffered bytes and both indicators: the next read starts afresh
    // from whatever the descriptor now refers to.
    void reset();
    int descriptor() const { return descriptor_; }

private:
    static constexpr std::size_t kCapacity = 1 << 16;
    int getByteSlow();
    // Reads more after the unread bytes; false at end of file or error.
    bool fill();
    // The first position from `start` holding a CR or a 0x1A, or end_.
    std::size_t nextSpecial(std::size_t start) const;

    int descriptor_;
    std::size_t next_ = 0;
    std::size_t end_ = 0;
    // Bytes before this position need no conversion: the fast path takes
    // them one compare each.
    std::size_t plainEnd_ = 0;
    bool atEnd_ = false;
    bool hasError_ = false;
    char buffer_[kCapacity];
};

// The process's standard input (descriptor 0).
extern TextInputStream standardInputStream;
inline TextInputStream& standardInput() { return standardInputStream; }

}  // namespace platform
