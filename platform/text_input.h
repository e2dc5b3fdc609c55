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
// the input. The descriptor is read in large blocks, and each block is
// converted once, in place, as it arrives: the bytes can then be taken one
// at a time for a few instructions each, or as whole runs.
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

    // The converted bytes that follow, as one run in the stream's buffer:
    // their number, with `data` pointing at the first. Reads the next block
    // when none is left. 0 when the next byte must be taken with getByte():
    // a 0x1A, a CR whose partner is not read yet, the end or an error. The
    // run stays valid until the next call on the stream; take() says how
    // much of it was used.
    std::size_t plainRun(char*& data) {
        if (next_ >= plainEnd_ && !readPlain()) return 0;
        data = buffer_ + next_;
        return plainEnd_ - next_;
    }
    // Marks `count` bytes of the last run as read.
    void take(std::size_t count) { next_ += count; }
    // Consumes a UTF-8 byte-order mark that starts the input; true when
    // there was one. Called before the first byte is read.
    bool skipByteOrderMark();

    bool atEnd() const { return atEnd_; }
    bool hasError() const { return hasError_; }
    // Drops buffered bytes and both indicators: the next read starts afresh
    // from whatever the descriptor now refers to.
    void reset();
    int descriptor() const { return descriptor_; }
    // Reads `descriptor` from now on, starting afresh as after reset().
    // `regularFile` says the caller has seen it is a plain file (from the
    // stat it made anyway), so it is known to be no terminal.
    void attach(int descriptor, bool regularFile);
    // Whether the descriptor is a terminal; asks the system only when the
    // descriptor is not known to be a plain file.
    bool isTerminal() const;

private:
    static constexpr std::size_t kCapacity = 1 << 16;
    int getByteSlow();
    // Reads the next block when every converted byte has been taken.
    bool readPlain();
    // Reads more after the unread bytes and converts what arrived; false at
    // end of file or error.
    bool fill();
    // Turns the CR LF pairs of [converted_, end_) into line feeds, moving
    // the bytes down; a CR last in the buffer waits for its partner.
    void convert();

    int descriptor_;
    bool regularFile_ = false;
    std::size_t next_ = 0;
    // Bytes before this position are converted; from here to end_ at most
    // a CR waits for the byte after it.
    std::size_t converted_ = 0;
    std::size_t end_ = 0;
    // Bytes before this position can be delivered as they are: converted,
    // and before any 0x1A.
    std::size_t plainEnd_ = 0;
    bool atEnd_ = false;
    bool hasError_ = false;
    char buffer_[kCapacity];
};

// The process's standard input (descriptor 0).
extern TextInputStream standardInputStream;
inline TextInputStream& standardInput() { return standardInputStream; }

}  // namespace platform
