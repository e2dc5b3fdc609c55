#include "platform/text_input.h"

#include <cerrno>
#include <cstring>

#include "platform/descriptors.h"
#include "platform/utf8.h"

namespace platform {

TextInputStream::TextInputStream(int descriptor) : descriptorSource_(descriptor) {}

void TextInputStream::reset() {
    next_ = end_ = ctrlZ_ = runEnd_ = plainEnd_ = 0;
    atEnd_ = hasError_ = false;
    errorNumber_ = 0;
    utf16_ = Utf16::Off;
    rawUsed_ = 0;
}

void TextInputStream::attach(int descriptor, bool regularFile, std::int64_t size) {
    descriptorSource_ = DescriptorSource(descriptor);
    attach(descriptorSource_, regularFile, size);
}

void TextInputStream::attach(ByteSource& source, bool regularFile, std::int64_t size) {
    source_ = &source;
    regularFile_ = regularFile;
    checking_ = false;
    textCheck_.start();
    reset();
    // What is left of the file by its size goes with the descriptor's
    // position: a reset, which drops only buffered bytes, keeps it.
    sizeLeft_ = regularFile ? size : -1;
}

bool TextInputStream::isTerminal() const { return !regularFile_ && source_->isTerminal(); }

bool TextInputStream::fill() {
    if (hasError_ || (atEnd_ && rawUsed_ == 0)) return false;
    // Keep the unread bytes (a CR waiting for its partner, or the start of
    // a byte-order mark) in front.
    std::size_t unread = end_ - next_;
    std::memmove(buffer_, buffer_ + next_, unread);
    next_ = 0;
    end_ = unread;
    if (utf16_ != Utf16::Off) return fillUtf16();
    long n = readMore(buffer_ + end_, kCapacity - end_);
    if (n > 0) end_ += static_cast<std::size_t>(n);
    findEnds();
    if (checking_ && n > 0 && !stillText(unread)) {
        n = 0;
        findEnds();
    }
    return n > 0;
}

bool TextInputStream::fillUtf16() {
    // UTF-16 is read into raw_ and decoded into the buffer: two bytes give
    // at most three, four (a pair) give four.
    const std::size_t limit = (kCapacity - end_) / 3 * 2;
    long n = 0;
    if (!atEnd_ && limit > rawUsed_) {
        n = readMore(reinterpret_cast<char*>(raw_.get()) + rawUsed_, limit - rawUsed_);
        if (n > 0) rawUsed_ += static_cast<std::size_t>(n);
    }
    const std::size_t start = end_;
    std::size_t added = hasError_ ? 0 : decodeUtf16(atEnd_);
    findEnds();
    if (checking_ && added > 0 && !stillDecodedText(start)) return false;
    // Bytes read that decode to nothing yet (half a character) are progress.
    return added > 0 || n > 0;
}

bool TextInputStream::stillDecodedText(std::size_t from) {
    // A character decoded from UTF-16 is a NUL or a 0x1A byte exactly when
    // it is U+0000 or U+001A: the text rule holds for the characters.
    bool text = textCheck_.look(buffer_ + from, end_ - from);
    if (text && textCheck_.awaitsEnd()) {
        // Anything still to decode, or read, follows the 0x1A.
        if (rawUsed_ == 0 && !atEnd_) {
            const long n = readMore(reinterpret_cast<char*>(raw_.get()), 1);
            if (n > 0) rawUsed_ = static_cast<std::size_t>(n);
        }
        text = rawUsed_ == 0 && !hasError_;
        if (!text && !hasError_) textCheck_.look("x", 1);
    }
    if (text || hasError_) return true;
    end_ = from;
    rawUsed_ = 0;
    atEnd_ = true;
    findEnds();
    return false;
}

long TextInputStream::readMore(char* into, std::size_t wanted) {
    long n = source_->read(into, wanted);
    if (n < 0) {
        hasError_ = true;
        errorNumber_ = errno;
    } else if (n == 0) {
        atEnd_ = true;
    } else if (sizeLeft_ >= 0) {
        sizeLeft_ -= n;
        // A short read that completes the size ends the file; a file
        // that has grown past its size is read to its real end.
        if (sizeLeft_ == 0 && static_cast<std::size_t>(n) < wanted) atEnd_ = true;
        if (sizeLeft_ < 0) sizeLeft_ = -1;
    }
    return n;
}

void TextInputStream::findEnds() {
    const void* ctrlZ = std::memchr(buffer_, 0x1A, end_);
    ctrlZ_ = ctrlZ != nullptr ? static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - buffer_) : end_;
    bool crWaits = ctrlZ_ == end_ && end_ != 0 && buffer_[end_ - 1] == '\r' && !(atEnd_ && rawUsed_ == 0);
    runEnd_ = crWaits ? end_ - 1 : ctrlZ_;
    plainEnd_ = 0;
}

std::size_t TextInputStream::decodeUtf16(bool last) {
    const unsigned char* raw = raw_.get();
    const bool little = utf16_ == Utf16::LittleEndian;
    auto unitAt = [&](std::size_t i) {
        return little ? static_cast<std::uint32_t>(raw[i] | (raw[i + 1] << 8))
                      : static_cast<std::uint32_t>((raw[i] << 8) | raw[i + 1]);
    };
    const std::size_t start = end_;
    std::size_t i = 0;
    // Room for the longest character is kept; what does not fit waits.
    while (rawUsed_ - i >= 2 && kCapacity - end_ >= 4) {
        std::uint32_t unit = unitAt(i);
        std::size_t used = 2;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (rawUsed_ - i < 4 && !last) break;  // its partner may follow
            if (rawUsed_ - i >= 4) {
                std::uint32_t low = unitAt(i + 2);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    used = 4;
                }
            }
        }
        end_ += platform::putUtf8(buffer_ + end_, unit);
        i += used;
    }
    if (last && rawUsed_ - i == 1 && kCapacity - end_ >= 3) {
        end_ += platform::putUtf8(buffer_ + end_, 0xFFFD);  // an odd last byte
        ++i;
    }
    std::memmove(raw_.get(), raw + i, rawUsed_ - i);
    rawUsed_ -= i;
    return end_ - start;
}

bool TextInputStream::stillText(std::size_t from) {
    // The first 0x1A of the buffer is known; one among the unread bytes
    // before `from` was judged with them.
    const char* firstCtrlZ = ctrlZ_ >= from && ctrlZ_ < end_ ? buffer_ + ctrlZ_ : nullptr;
    bool text = textCheck_.look(buffer_ + from, end_ - from, firstCtrlZ);
    if (text && textCheck_.awaitsEnd() && !atEnd_) {
        char next;
        const long n = source_->read(&next, 1);
        if (n < 0) {
            hasError_ = true;
            errorNumber_ = errno;
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

ByteOrderMarkKind TextInputStream::skipByteOrderMark() {
    // The marks hold no CR and no 0x1A: if the first bytes are a mark, they
    // are plain bytes.
    while (end_ - next_ < kUtf8ByteOrderMarkSize && fill()) {
    }
    const std::size_t held = end_ - next_;
    const unsigned char* first = reinterpret_cast<const unsigned char*>(buffer_ + next_);
    if (held >= kUtf8ByteOrderMarkSize && std::memcmp(first, kUtf8ByteOrderMark, kUtf8ByteOrderMarkSize) == 0) {
        next_ += kUtf8ByteOrderMarkSize;
        return ByteOrderMarkKind::Utf8;
    }
    if (held < 2 || !((first[0] == 0xFF && first[1] == 0xFE) || (first[0] == 0xFE && first[1] == 0xFF))) {
        return ByteOrderMarkKind::None;
    }
    // The bytes read after the mark are UTF-16: they go back to be decoded.
    const bool little = first[0] == 0xFF;
    utf16_ = little ? Utf16::LittleEndian : Utf16::BigEndian;
    if (!raw_) raw_.reset(new unsigned char[kCapacity]);
    rawUsed_ = held - 2;
    std::memcpy(raw_.get(), first + 2, rawUsed_);
    next_ = end_ = 0;
    decodeUtf16(atEnd_);
    findEnds();
    // From here the characters are judged, not the bytes that hold them.
    if (checking_) {
        textCheck_.start();
        stillDecodedText(0);
    }
    return little ? ByteOrderMarkKind::Utf16LittleEndian : ByteOrderMarkKind::Utf16BigEndian;
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
            rawUsed_ = 0;
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
