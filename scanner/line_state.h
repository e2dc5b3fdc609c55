// The line being read: its number and its text, kept by the refill.
#pragma once

#include <cstdint>

constexpr int kCurLineSize = 5000;  // at most 4999 characters and the NUL

// Current input line number; counts line feeds read, 1 at a file's start.
extern std::int64_t noLng;
extern char curLine[kCurLineSize];
extern int curLineLength;  // strlen(curLine), kept to append in constant time

void clearCurLine();
// A line feed was read: the line goes to the history and the next begins.
void finishLine();

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
