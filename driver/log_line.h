// Diagnostic lines on standard error.
#pragma once

#include <cstdint>
#include <string>

// Formats like sprintf and writes the text to standard error as it stands
// (it is never read as a format again). Any length is written whole.
// Returns the number of characters written. No newline is added.
int logLine(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The system-error printer: the text, ": " (both left out for an empty text),
// the runtime's message for the current error number, and a newline.
void printSystemError(const char* text);

// Prints through the system-error printer and ends the process.
[[noreturn]] void failWithSystemError(const char* text, int status);

// "(delta:+100/+10%)": the difference out - in and its percentage of in,
// truncated toward zero (0 when in is 0). Exact for any 64-bit sizes.
std::string formatDelta(std::int64_t in, std::int64_t out);
// The percentage alone, saturated at the int64 range.
std::int64_t deltaPercent(std::int64_t in, std::int64_t out);
