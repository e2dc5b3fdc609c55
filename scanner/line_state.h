// The line being read: its number and its text, kept by the refill.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "scanner/scanner_state.h"

void clearCurLine();
// A line feed was read: the line goes to the history and the next begins.
void finishLine();
// The same, when the line's text ends with the `length` bytes at `rest`
// (no line feed, no NUL), not yet in curLine, and they stay where they are
// until recordPendingLines(): a line read whole goes to the history
// straight from there, copied only if it is among the last nbl lines.
void finishLineAfter(const char* rest, std::size_t length);
// `count` line feeds read after a finished line, each ending an empty
// line, while no mark is current; recorded as finishLineAfter records.
void finishEmptyLines(std::int64_t count);

// Keeps the line's text and number for one byte read by the one-byte
// refill: a line feed finishes the line; a NUL adds nothing; any other byte
// is appended while the line holds fewer than 4999 characters.
inline void noteByteRead(int byte) {
    if (byte == '\n') {
        finishLine();
    } else if (byte != 0 && curLineLength < kCurLineSize - 1) {
        curLine[curLineLength++] = static_cast<char>(byte);
        curLine[curLineLength] = '\0';
    }
}

// Keeps the line's text for a run of bytes that holds neither a line feed
// nor a NUL: the part that still fits is appended with one copy.
inline void appendToLine(const char* data, std::size_t length) {
    const std::size_t room = static_cast<std::size_t>(kCurLineSize - 1 - curLineLength);
    if (length > room) length = room;
    std::memcpy(curLine + curLineLength, data, length);
    curLineLength += static_cast<int>(length);
    curLine[curLineLength] = '\0';
}
