// Finds the bytes at or above 0x80 in a run of text: 16 bytes at a time
// where the processor can, else 8, the last few in loads that may overlap
// bytes already looked at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "scanner/run_ends.h"

namespace ascii_run {

template <typename Word>
inline Word load(const char* p) {
    Word word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// The offset of the first byte of `word` (read from memory, little-endian)
// at or above 0x80; the word has one.
inline std::size_t firstHighByte(std::uint64_t word) { return run_ends::lowestBit(word & kHighBits) / 8; }

// Whether the `length` bytes at `p` are all below 0x80.
inline bool isAscii(const char* p, std::size_t length) {
#if TXT2VB_RUN_ENDS_SSE2
    if (length >= 16) {
        __m128i any = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + length - 16));
        for (std::size_t i = 0; i + 16 <= length; i += 16)
            any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
        return _mm_movemask_epi8(any) == 0;
    }
#endif
    if (length >= 8) {
        std::uint64_t any = load<std::uint64_t>(p + length - 8);
        for (std::size_t i = 0; i + 8 <= length; i += 8) any |= load<std::uint64_t>(p + i);
        return (any & kHighBits) == 0;
    }
    if (length >= 4) return ((load<std::uint32_t>(p) | load<std::uint32_t>(p + length - 4)) & 0x80808080u) == 0;
    for (std::size_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80) return false;
    return true;
}

// How many of the 16 bytes at `p` come before the first at or above 0x80:
// 16 when none is.
inline std::size_t prefix16(const char* p) {
#if TXT2VB_RUN_ENDS_SSE2
    const unsigned high =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
    return run_ends::lowestBit(high | 0x10000u);
#else
    const std::uint64_t head = load<std::uint64_t>(p) & kHighBits;
    if (head != 0) return firstHighByte(head);
    const std::uint64_t tail = load<std::uint64_t>(p + 8) & kHighBits;
    return tail != 0 ? 8 + firstHighByte(tail) : 16;
#endif
}

// The end of the bytes below 0x80 from `p`. A load that overlaps bytes
// already looked at finds the run's first high byte all the same: those
// are below 0x80.
inline const char* end(const char* p, const char* end) {
#if TXT2VB_RUN_ENDS_SSE2
    if (end - p >= 16) {
        for (;;) {
            const unsigned high =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
            if (high != 0) return p + run_ends::lowestBit(high);
            if (end - p == 16) return end;
            p = end - p >= 32 ? p + 16 : end - 16;
        }
    }
#endif
    while (end - p >= 8) {
        const std::uint64_t word = load<std::uint64_t>(p);
        if ((word & kHighBits) != 0) return p + firstHighByte(word);
        if (end - p <= 16) {
            const char* last = end - 8;
            const std::uint64_t tail = load<std::uint64_t>(last);
            return (tail & kHighBits) != 0 ? last + firstHighByte(tail) : end;
        }
        p += 8;
    }
    if (end - p >= 4) {
        const std::uint32_t head = load<std::uint32_t>(p);
        if ((head & 0x80808080u) != 0) return p + firstHighByte(head);
        const char* last = end - 4;
        const std::uint32_t tail = load<std::uint32_t>(last);
        return (tail & 0x80808080u) != 0 ? last + firstHighByte(tail) : end;
    }
    while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
    return p;
}

}  // namespace ascii_run
