#include "platform/text_input.h"

#include <cstring>

#include "platform/descriptors.h"

namespace platform {

TextInputStream::TextInputStream(int descriptor) : descriptor_(descriptor) {}

void TextInputStream::reset() {
    next_ = converted_ = end_ = plainEnd_ = 0;
    atEnd_ = hasError_ = false;
}

void TextInputStream::attach(int descriptor, bool regularFile) {
    descriptor_ = descriptor;
    regularFile_ = regularFile;
    reset();
}

bool TextInputStream::isTerminal() const { return !regularFile_ && platform::isTerminal(descriptor_); }

void TextInputStream::convert() {
    std::size_t from = converted_;
    std::size_t to = converted_;
    while (from < end_) {
        const void* cr = std::memchr(buffer_ + from, '\r', end_ - from);
        std::size_t stop = cr != nullptr ? static_cast<const char*>(cr) - buffer_ : end_;
        if (to != from) std::memmove(buffer_ + to, buffer_ + from, stop - from);
        to += stop - from;
        from = stop;
        if (from == end_ || from + 1 == end_) break;  // the end, or a CR whose partner is still unread
        if (buffer_[from + 1] == '\n') {
            buffer_[to++] = '\n';
            from += 2;
        } else {
            buffer_[to++] = '\r';
            ++from;
        }
    }
    std::size_t waiting = end_ - from;  // 0, or the one CR
    if (waiting != 0) buffer_[to] = buffer_[from];
    converted_ = to;
    end_ = to + waiting;
}

bool TextInputStream::fill() {
    if (atEnd_ || hasError_) return false;
    // Keep the unread bytes (at most a CR waiting for its partner) in front.
    std::size_t unread = end_ - next_;
    std::memmove(buffer_, buffer_ + next_, unread);
    converted_ -= next_;
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
    convert();
    const void* ctrlZ = std::memchr(buffer_, 0x1A, converted_);
    plainEnd_ = ctrlZ != nullptr ? static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - buffer_) : converted_;
    return true;
}

bool TextInputStream::readPlain() {
    // A 0x1A or a waiting CR is left to getByte().
    if (next_ < end_) return false;
    return fill() && plainEnd_ > next_;
}

bool TextInputStream::skipByteOrderMark() {
    // The mark holds no CR and no 0x1A, so the conversion leaves it as read.
    while (end_ - next_ < kUtf8ByteOrderMarkSize && fill()) {
    }
    // A read that found the end has dropped the plain bytes' boundary: the
    // bytes already held stay plain up to a 0x1A.
    const void* ctrlZ = std::memchr(buffer_ + next_, 0x1A, converted_ - next_);
    plainEnd_ = ctrlZ != nullptr ? static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - buffer_) : converted_;
    if (end_ - next_ < kUtf8ByteOrderMarkSize ||
        std::memcmp(buffer_ + next_, kUtf8ByteOrderMark, kUtf8ByteOrderMarkSize) != 0) {
        return false;
    }
    next_ += kUtf8ByteOrderMarkSize;
    return true;
}

int TextInputStream::getByteSlow() {
    for (;;) {
        if (next_ < plainEnd_) return static_cast<unsigned char>(buffer_[next_++]);
        if (next_ < converted_) {
            // Ctrl-Z ends the input until the stream is reset.
            next_ = converted_ = end_ = plainEnd_ = 0;
            atEnd_ = true;
            return kEnd;
        }
        if (!fill()) {
            if (next_ == end_) return kEnd;
            // No partner follows the waiting CR: it is a lone CR.
            converted_ = plainEnd_ = end_;
        }
    }
}

TextInputStream standardInputStream(0);

}  // namespace platform
