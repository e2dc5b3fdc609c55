#include "platform/text_input.h"

#include <cstring>

#include "platform/descriptors.h"

namespace platform {

TextInputStream::TextInputStream(int descriptor) : descriptor_(descriptor) {}

void TextInputStream::reset() {
    next_ = end_ = plainEnd_ = 0;
    atEnd_ = hasError_ = false;
}

bool TextInputStream::fill() {
    if (atEnd_ || hasError_) return false;
    // Keep the unread bytes (at most a CR waiting for its partner) in front.
    std::size_t unread = end_ - next_;
    std::memmove(buffer_, buffer_ + next_, unread);
    next_ = 0;
    end_ = unread;
    plainEnd_ = 0;
    long n = readSome(descriptor_, buffer_ + end_, kCapacity - end_);
    if (n < 0) {
        hasError_ = true;
        return false;
    }
    if (n == 0) {
        atEnd_ = true;
        return false;
    }
    end_ += static_cast<std::size_t>(n);
    return true;
}

std::size_t TextInputStream::nextSpecial(std::size_t start) const {
    const char* from = buffer_ + start;
    std::size_t limit = end_;
    if (const void* cr = std::memchr(from, '\r', limit - start)) limit = static_cast<const char*>(cr) - buffer_;
    if (const void* ctrlZ = std::memchr(from, 0x1A, limit - start)) limit = static_cast<const char*>(ctrlZ) - buffer_;
    return limit;
}

bool TextInputStream::skipByteOrderMark() {
    while (end_ - next_ < kUtf8ByteOrderMarkSize && fill()) {
    }
    if (end_ - next_ < kUtf8ByteOrderMarkSize ||
        std::memcmp(buffer_ + next_, kUtf8ByteOrderMark, kUtf8ByteOrderMarkSize) != 0) {
        return false;
    }
    next_ += kUtf8ByteOrderMarkSize;
    plainEnd_ = nextSpecial(next_);
    return true;
}

int TextInputStream::getByteSlow() {
    if (next_ >= end_ && !fill()) return kEnd;
    unsigned char byte = static_cast<unsigned char>(buffer_[next_]);
    if (byte == 0x1A) {
        // Ctrl-Z ends the input until the stream is reset.
        next_ = end_ = plainEnd_ = 0;
        atEnd_ = true;
        return kEnd;
    }
    int result = byte;
    if (byte != '\r') {
        ++next_;  // a plain byte past a stale boundary (just read in)
    } else {
        if (next_ + 1 >= end_) fill();  // the partner may be in the next read
        if (next_ + 1 < end_ && buffer_[next_ + 1] == '\n') {
            next_ += 2;
            result = '\n';
        } else {
            ++next_;
        }
    }
    plainEnd_ = nextSpecial(next_);
    return result;
}

TextInputStream standardInputStream(0);

}  // namespace platform
