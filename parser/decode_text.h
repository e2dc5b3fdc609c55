// The decoder's output: the text's bytes as they are decoded, the line
// ends the layout gives, and ChrW's code units put together into UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/text_output.h"
#include "platform/utf8.h"

namespace decode {

class TextWriter {
public:
    explicit TextWriter(platform::TextOutputStream& out) : out_(out) {}

    // Bytes of the text. Nothing (an empty literal) leaves a high surrogate
    // waiting for its partner.
    void bytes(const char* data, std::size_t length) {
        if (length == 0) return;
        if (highSurrogate_ != 0) flushHigh();
        out_.writeRaw(data, length);
    }
    // `count` line ends of the text, each CR LF.
    void lineEnds(std::size_t count) {
        if (highSurrogate_ != 0) flushHigh();
        static const char kPairs[] = "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
        constexpr std::size_t kPairsHeld = (sizeof kPairs - 1) / 2;
        for (; count > kPairsHeld; count -= kPairsHeld) out_.writeRaw(kPairs, 2 * kPairsHeld);
        out_.writeRaw(kPairs, 2 * count);
    }
    // A UTF-16 code unit: a high surrogate waits for a low one to make one
    // character with it; a surrogate alone gives its three-byte form.
    void codeUnit(std::uint32_t unit) {
        if (highSurrogate_ != 0 && unit >= 0xDC00 && unit <= 0xDFFF) {
            put(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
            highSurrogate_ = 0;
            return;
        }
        if (highSurrogate_ != 0) flushHigh();
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate_ = unit;
        } else {
            put(unit);
        }
    }
    // The end of the text: a waiting surrogate is written alone.
    void finish() {
        if (highSurrogate_ != 0) flushHigh();
    }

private:
    void put(std::uint32_t code) {
        char utf8[4];
        out_.writeRaw(utf8, platform::putUtf8(utf8, code));
    }
    void flushHigh() {
        put(highSurrogate_);
        highSurrogate_ = 0;
    }

    platform::TextOutputStream& out_;
    std::uint32_t highSurrogate_ = 0;
};

}  // namespace decode
