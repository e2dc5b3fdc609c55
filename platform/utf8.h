// The UTF-8 bytes of one character number, for every place that writes
// characters out as UTF-8 (UTF-16 input, decoded ChrW calls).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Writes the UTF-8 bytes of `code` (below 0x110000; a surrogate half gets
// the three bytes its number would have) at `to`, which has room for 4.
// Returns their number.
inline std::size_t putUtf8(char* to, std::uint32_t code) {
    if (code < 0x80) {
        to[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        to[0] = static_cast<char>(0xC0 | (code >> 6));
        to[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        to[0] = static_cast<char>(0xE0 | (code >> 12));
        to[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        to[2] = static_cast<char>(0x80 | (code & 0x3F));
        return 3;
    }
    to[0] = static_cast<char>(0xF0 | (code >> 18));
    to[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    to[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    to[3] = static_cast<char>(0x80 | (code & 0x3F));
    return 4;
}

// Appends the UTF-8 bytes of `code` to `out`.
inline void appendUtf8(std::string& out, std::uint32_t code) {
    char bytes[4];
    out.append(bytes, putUtf8(bytes, code));
}

}  // namespace platform
