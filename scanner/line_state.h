// The line being read: its number and its text, kept by the refill.
#pragma once

#include <cstdint>

constexpr int kCurLineSize = 5000;  // at most 4999 characters and the NUL

// Current input line number; counts line feeds read, 1 at a file's start.
extern std::int64_t noLng;
extern char curLine[kCurLineSize];
extern int curLineLength;  // strlen(curLine), kept to append in constant time

void clearCurLine();
