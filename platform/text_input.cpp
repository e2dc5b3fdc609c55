#include "platform/text_input.h"

#include <cstring>

#include "platform/descriptors.h"

namespace platform {

TextInputStream::TextInputStream(int descriptor) : descriptor_(descriptor) {}

void TextInputStream::reset() {
    next_ = end_ = 0;
    atEnd_ = hasError_ = false;
}

bool TextInputStream::fill() {
    if (atEnd_ || hasError_) return false;
    // Keep the unread bytes (at most a CR waiting for its partner) in front.
    std::size_t unread = end_ - next_;
    std::memmove(buffer_, buffer_ + next_, unread);
    next_ = 0;
    end_ = unread;
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

int TextInputStream::getByteSlow() {
    if (next_ >= end_ && !fill()) return kEnd;
    unsigned char byte = static_cast<unsigned char>(buffer_[next_]);
    if (byte == 0x1A) {
        // Ctrl-Z ends the input until the stream is reset.
        next_ = end_ = 0;
        atEnd_ = true;
        return kEnd;
    }
    if (byte != '\r') {
        ++next_;
        return byte;
    }
    if (next_ + 1 >= end_) fill();  // the partner may be in the next read
    if (next_ + 1 < end_ && buffer_[next_ + 1] == '\n') {
        next_ += 2;
        return '\n';
    }
    ++next_;
    return '\r';
}

TextInputStream standardInputStream(0);

}  // namespace platform
