// Buffered text-mode output stream over one descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/byte_channel.h"

namespace platform {

// Copies `length` bytes, at least one word and at most two, as one word
// from each end (the two may overlap).
template <typename Word>
inline void copyFromBothEnds(char* to, const char* from, std::size_t length) {
    Word head;
    Word tail;
    std::memcpy(&head, from, sizeof head);
    std::memcpy(&tail, from + length - sizeof tail, sizeof tail);
    std::memcpy(to, &head, sizeof head);
    std::memcpy(to + length - sizeof tail, &tail, sizeof tail);
}
struct SixteenBytes {
    char bytes[16];
};
struct ThirtyTwoBytes {
    SixteenBytes halves[2];
};

// Copies `length` bytes without a call for the short lengths that runs of
// text mostly have, up to 64; longer ones go to memcpy.
inline void copyBytes(char* to, const char* from, std::size_t length) {
    if (length >= 16) {
        if (length > 64) {
            std::memcpy(to, from, length);
        } else if (length > 32) {
            copyFromBothEnds<ThirtyTwoBytes>(to, from, length);
        } else {
            copyFromBothEnds<SixteenBytes>(to, from, length);
        }
    } else if (length >= 8) {
        copyFromBothEnds<std::uint64_t>(to, from, length);
    } else if (length >= 4) {
        copyFromBothEnds<std::uint32_t>(to, from, length);
    } else if (length != 0) {
        const char first = from[0];
        const char middle = from[length / 2];
        const char last = from[length - 1];
        to[0] = first;
        to[length / 2] = middle;
        to[length - 1] = last;
    }
}

// Every line feed written reaches the descriptor as the pair CR LF, on every
// platform, so both builds produce the same bytes. Bytes are collected in a
// buffer of our own: writing one byte costs a few instructions, and the
// descriptor is written in large blocks. A failed write is remembered, so a
// caller can ask afterwards whether everything written reached the descriptor.
class TextOutputStream {
public:
    explicit TextOutputStream(int descriptor);
    ~TextOutputStream();
    TextOutputStream(const TextOutputStream&) = delete;
    TextOutputStream& operator=(const TextOutputStream&) = delete;

    void putByte(unsigned char byte) {
        if (used_ + 2 > kCapacity) drain();
        if (byte == '\n') buffer_[used_++] = '\r';
        buffer_[used_++] = static_cast<char>(byte);
    }
    // A byte known not to be a line feed.
    void putTextByte(unsigned char byte) {
        if (used_ == kCapacity) drain();
        buffer_[used_++] = static_cast<char>(byte);
    }
    void write(const char* data, std::size_t length) {
        if (length == 1) {
            putByte(static_cast<unsigned char>(*data));
        } else {
            writeLines(data, length);
        }
    }
    // Appends bytes that already hold their CR LF pairs (or hold no line
    // feed), as one block.
    void writeRaw(const char* data, std::size_t length) {
        if (length > kCapacity - used_) {
            drain();
            if (length > kCapacity) {
                writeThrough(data, length);
                return;
            }
        }
        copyBytes(buffer_ + used_, data, length);
        used_ += length;
    }
    void writeText(const char* text);
    // Formats in the manner of printf; any length is written whole.
    void printf(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    // Hands the buffer to the descriptor. False when any write since the last
    // clearError() failed.
    bool flush();
    // Hands what is buffered to the current descriptor, then writes to
    // `descriptor` from now on. The error state and the byte count stay.
    void attach(int descriptor) {
        drain();
        descriptorSink_ = DescriptorSink(descriptor);
        sink_ = &descriptorSink_;
    }
    // The same for any sink of bytes; `sink` must outlive its use.
    void attach(ByteSink& sink) {
        drain();
        sink_ = &sink;
    }
    // The descriptor written, or -1 when the stream writes another sink.
    int descriptor() const { return sink_ == &descriptorSink_ ? descriptorSink_.descriptor() : -1; }
    bool failed() const { return failed_; }
    // The error number of the first failed write.
    int errorNumber() const { return errorNumber_; }
    void clearError() {
        failed_ = false;
        errorNumber_ = 0;
    }
    // Bytes handed to the descriptor (after CR LF expansion) since the count
    // was last reset; flush first for an exact figure.
    std::uint64_t bytesWritten() const { return written_; }
    void resetByteCount() { written_ = 0; }
    // Drops whatever is buffered without writing it.
    void discard() { used_ = 0; }

private:
    static constexpr std::size_t kCapacity = 1 << 16;
    void drain();
    // Each run up to a line feed as one block, the line feed as CR LF.
    void writeLines(const char* data, std::size_t length);
    void writeThrough(const char* data, std::size_t length);

    DescriptorSink descriptorSink_;
    ByteSink* sink_ = &descriptorSink_;
    std::size_t used_ = 0;
    bool failed_ = false;
    int errorNumber_ = 0;
    std::uint64_t written_ = 0;
    char buffer_[kCapacity];
};

// The process's standard output (descriptor 1). It is flushed when the
// process ends through exitProcess() or a normal return from main.
extern TextOutputStream standardOutputStream;
inline TextOutputStream& standardOutput() { return standardOutputStream; }

}  // namespace platform
