#include "platform/text_input.h"

#include <cstring>

#include "platform/descriptors.h"

namespace platform {

TextInputStream::TextInputStream(int descriptor) : descriptor_(descriptor) {}

void TextInputStream::reset() {
    next_ = end_ = ctrlZ_ = runEnd_ = plainEnd_ = 0;
    atEnd_ = hasError_ = false;
}

void TextInputStream::attach(int descriptor, bool regularFile, std::int64_t size) {
    descriptor_ = descriptor;
    regularFile_ = regularFile;
    checking_ = false;
    textCheck_.start();
    reset();
    // What is left of the file by its size goes with the descriptor's
    // position: a reset, which drops only buffered bytes, keeps it.
    sizeLeft_ = regularFile ? size : -1;
}

bool TextInputStream::isTerminal() const { return !regularFile_ && platform::isTerminal(descriptor_); }

bool TextInputStream::fill() {
    if (atEnd_ || hasError_) return false;
    // Keep the unread bytes (a CR waiting for its partner, or the start of
    // a byte-order mark) in front.
    std::size_t unread = end_ - next_;
    std::memmove(buffer_, buffer_ + next_, unread);
    next_ = 0;
    end_ = unread;
    const std::size_t wanted = kCapacity - end_;
    long n = readSome(descriptor_, buffer_ + end_, wanted);
    if (n < 0) {
        hasError_ = true;
    } else if (n == 0) {
        atEnd_ = true;
    } else {
        end_ += static_cast<std::size_t>(n);
        if (sizeLeft_ >= 0) {
            sizeLeft_ -= n;
            // A short read that completes the size ends the file; a file
            // that has grown past its size is read to its real end.
            if (sizeLeft_ == 0 && static_cast<std::size_t>(n) < wanted) atEnd_ = true;
            if (sizeLeft_ < 0) sizeLeft_ = -1;
        }
    }
    const void* ctrlZ = std::memchr(buffer_, 0x1A, end_);
    ctrlZ_ = ctrlZ != nullptr ? static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - buffer_) : end_;
    if (checking_ && n > 0 && !stillText(unread)) {
        n = 0;
        if (ctrlZ_ > end_) ctrlZ_ = end_;
    }
    bool crWaits = ctrlZ_ == end_ && end_ != 0 && buffer_[end_ - 1] == '\r' && !atEnd_;
    runEnd_ = crWaits ? end_ - 1 : ctrlZ_;
    plainEnd_ = 0;
    return n > 0;
}

bool TextInputStream::stillText(std::size_t from) {
    // The first 0x1A of the buffer is known; one among the unread bytes
    // before `from` was judged with them.
    const char* firstCtrlZ = ctrlZ_ >= from && ctrlZ_ < end_ ? buffer_ + ctrlZ_ : nullptr;
    bool text = textCheck_.look(buffer_ + from, end_ - from, firstCtrlZ);
    if (text && textCheck_.awaitsEnd() && !atEnd_) {
        char next;
        const long n = readSome(descriptor_, &next, 1);
        if (n < 0) {
            hasError_ = true;
        } else if (n == 0) {
            atEnd_ = true;
        } else {
            text = textCheck_.look(&next, 1);
        }
    }
    if (text) return true;
    end_ = from;
    atEnd_ = true;
    return false;
}

bool TextInputStream::readRun() {
    // A 0x1A or a waiting CR is left to getByte().
    if (next_ < end_) return false;
    return fill() && runEnd_ > next_;
}

bool TextInputStream::skipByteOrderMark() {
    // The mark holds no CR and no 0x1A: if the first three bytes are the
    // mark, they are three plain bytes.
    while (end_ - next_ < kUtf8ByteOrderMarkSize && fill()) {
    }
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
        if (next_ == end_) {
            if (!fill()) return kEnd;
            continue;
        }
        if (next_ == ctrlZ_) {
            // Ctrl-Z ends the input until the stream is reset.
            next_ = end_ = ctrlZ_ = runEnd_ = plainEnd_ = 0;
            atEnd_ = true;
            return kEnd;
        }
        if (buffer_[next_] == '\r') {
            // A CR last in the buffer waits for the next read; when none
            // comes, it is a lone CR.
            if (next_ + 1 == end_ && fill()) continue;
            bool pair = next_ + 1 < end_ && buffer_[next_ + 1] == '\n';
            next_ += pair ? 2 : 1;
            return pair ? '\n' : '\r';
        }
        // The bytes from here to the next CR or 0x1A are plain.
        const void* cr = std::memchr(buffer_ + next_, '\r', ctrlZ_ - next_);
        plainEnd_ = cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - buffer_) : ctrlZ_;
    }
}

TextInputStream standardInputStream(0);

}  // namespace platform
