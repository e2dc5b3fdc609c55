#include "platform/console.h"

#include <cstring>

#include "platform/descriptors.h"

namespace platform {

bool isOptionPrefix(char c) { return c == '-'; }

const char* errorText(int errorNumber) { return std::strerror(errorNumber); }

void writeStandardError(const char* data, unsigned long length) {
    writeAll(2, data, length);
}

}  // namespace platform
