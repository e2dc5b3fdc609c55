// What differs between the consoles the tool runs on.
#pragma once

namespace platform {

#if defined(_WIN32)
// The Windows console shows code page 437/850, where é is the byte 0x82
// and à the byte 0x85.
#define TXT2VB_E_ACUTE "\x82"
#define TXT2VB_A_GRAVE "\x85"
#else
#define TXT2VB_E_ACUTE "\xC3\xA9"
#define TXT2VB_A_GRAVE "\xC3\xA0"
#endif

// On Windows both '-' and '/' begin an option; on POSIX systems '/' begins an
// absolute path, so only '-' does.
bool isOptionPrefix(char c);

// The runtime's message for an error number.
const char* errorText(int errorNumber);

// Writes to standard error, unbuffered (descriptor 2, never redirected).
void writeStandardError(const char* data, unsigned long length);

}  // namespace platform
