// The pieces of a line as the conversion writes them, passed whole where
// they stand in the decoder's window: each is what the tokens would read
// there, taken with a compare or two. Any other layout, and a piece cut by
// the window's end, is left to the tokens.
#pragma once

#include <cstddef>
#include <cstring>

#include "parser/decode_cursor.h"

namespace decode {

inline bool startsWith(const char* p, const char* end, const char* piece, std::size_t length) {
    return static_cast<std::size_t>(end - p) >= length && std::memcmp(p, piece, length) == 0;
}

// After an operand: " _" and the line end (a continuation).
inline bool passContinuation(Cursor& in) {
    const char* const p = in.at();
    const std::size_t length =
        startsWith(p, in.end(), " _\r\n", 4) ? 4 : startsWith(p, in.end(), " _\n", 3) ? 3 : 0;
    if (length == 0) return false;
    in.skipLineEndsTo(p + length, 1);
    return true;
}

// Lines holding TAB "_" alone (continuations): their number.
inline std::size_t passContinuationLines(Cursor& in) {
    const char* p = in.at();
    const char* const end = in.end();
    std::size_t count = 0;
    for (;; ++count) {
        if (startsWith(p, end, "\t_\r\n", 4)) {
            p += 4;
        } else if (startsWith(p, end, "\t_\n", 3)) {
            p += 3;
        } else {
            break;
        }
    }
    if (count != 0) in.skipLineEndsTo(p, count);
    return count;
}

// TAB "& " and a literal's opening quote.
inline bool passOperatorAndQuote(Cursor& in) {
    const char* const p = in.at();
    if (!startsWith(p, in.end(), "\t& \"", 4)) return false;
    in.skipTo(p + 4);
    return true;
}

}  // namespace decode
