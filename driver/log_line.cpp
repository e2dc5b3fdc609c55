#include "driver/log_line.h"
#include "driver/exit_status.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <string>

#include "platform/console.h"
#include "platform/format_text.h"

int logLine(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = platform::formatText(format, args);
    va_end(args);
    platform::writeStandardError(text.data(), static_cast<unsigned long>(text.size()));
    return static_cast<int>(text.size());
}

void printSystemError(const char* text) {
    int saved = errno;
    std::string line;
    if (text != nullptr && text[0] != '\0') {
        line += text;
        line += ": ";
    }
    line += platform::errorText(saved);
    line += '\n';
    platform::writeStandardError(line.data(), static_cast<unsigned long>(line.size()));
    errno = saved;
}

void failWithSystemError(const char* text, ExitStatus status) {
    printSystemError(text);
    exitWith(status);
}
