// strerror's messages are the runtime's static table; the variant that
// copies them into a caller's buffer would gain nothing here.
#define _CRT_SECURE_NO_WARNINGS
#include "platform/console.h"

#include <cstring>

#include "platform/descriptors.h"

namespace platform {

bool isOptionPrefix(char c) { return c == '-' || c == '/'; }

const char* errorText(int errorNumber) { return std::strerror(errorNumber); }

void writeStandardError(const char* data, unsigned long length) {
    // Standard error is a text-mode stream on Windows: every line feed
    // reaches it as CR LF. Descriptor 2 itself is binary (see initProcess),
    // so the conversion happens here, in pieces of a fixed buffer.
    char buffer[4096];
    std::size_t used = 0;
    for (unsigned long i = 0; i < length; ++i) {
        if (used + 2 > sizeof buffer) {
            if (!writeAll(2, buffer, used)) return;
            used = 0;
        }
        if (data[i] == '\n') buffer[used++] = '\r';
        buffer[used++] = data[i];
    }
    if (used > 0) writeAll(2, buffer, used);
}

}  // namespace platform
