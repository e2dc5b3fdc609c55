// Finds the bytes that end a run of text on the block path: the double
// quote, the line feed, the CR and the NUL. The bytes are classified 64 at
// a time into a bit mask, so that finding the next end costs a few
// instructions however short the runs are, where a search per byte value
// would start over after every end it found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define TXT2VB_RUN_ENDS_SSE2 1
#endif
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace run_ends {

constexpr std::size_t kWindow = 64;

// Whether `byte` ends a text run.
constexpr bool endsRun(unsigned char byte) { return byte == '"' || byte == '\n' || byte == '\r' || byte == '\0'; }

// Bit i is set when byte i of the 64 at `p` ends a run: a byte at a time.
inline std::uint64_t windowMaskByBytes(const char* p) {
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < kWindow; ++i) {
        mask |= static_cast<std::uint64_t>(endsRun(static_cast<unsigned char>(p[i]))) << i;
    }
    return mask;
}

// The same mask, 16 bytes at a time where the processor can.
inline std::uint64_t windowMask(const char* p) {
#if TXT2VB_RUN_ENDS_SSE2
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    const __m128i nul = _mm_setzero_si128();
    std::uint64_t mask = 0;
    for (std::size_t part = 0; part < kWindow / 16; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const __m128i ends = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, lineFeed)),
                                          _mm_or_si128(_mm_cmpeq_epi8(bytes, carriageReturn), _mm_cmpeq_epi8(bytes, nul)));
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(ends))) << (16 * part);
    }
    return mask;
#else
    return windowMaskByBytes(p);
#endif
}

// The index of the lowest set bit of a mask that is not 0.
inline unsigned lowestBit(std::uint64_t mask) {
#if defined(__GNUC__) || defined(__clang__)
    return static_cast<unsigned>(__builtin_ctzll(mask));
#elif defined(_MSC_VER) && defined(_M_X64)
    unsigned long index;
    _BitScanForward64(&index, mask);
    return static_cast<unsigned>(index);
#else
    unsigned index = 0;
    while ((mask & 1) == 0) {
        mask >>= 1;
        ++index;
    }
    return index;
#endif
}

// The ends of the text runs in [from, end), found in order. Reads no byte
// outside that range.
class RunEnds {
public:
    RunEnds(const char* from, const char* end) : end_(end) { load(from); }

    // The first byte at or after `p` that ends a run, or end when none
    // does. `p` never goes back before an earlier call's `p`.
    const char* from(const char* p) {
        for (;;) {
            const std::size_t offset = static_cast<std::size_t>(p - window_);
            if (offset < kWindow) {
                const std::uint64_t ahead = mask_ >> offset;
                if (ahead != 0) return p + lowestBit(ahead);
                if (static_cast<std::size_t>(end_ - window_) <= kWindow) return end_;
                p = window_ + kWindow;
            }
            if (p >= end_) return end_;
            load(p);
        }
    }

private:
    void load(const char* at) {
        window_ = at;
        const std::size_t left = static_cast<std::size_t>(end_ - at);
        if (left >= kWindow) {
            mask_ = windowMask(at);
            return;
        }
        // The last bytes, behind text that ends nothing.
        char tail[kWindow];
        std::memset(tail, 'a', sizeof tail);
        if (left != 0) std::memcpy(tail, at, left);
        mask_ = windowMask(tail);
    }

    const char* end_;
    const char* window_ = nullptr;
    std::uint64_t mask_ = 0;
};

}  // namespace run_ends
