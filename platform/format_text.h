// printf-style formatting into a string of any length.
#pragma once

#include <cstdarg>
#include <string>

namespace platform {

// The formatted text, whole; empty when the format cannot be applied.
std::string formatText(const char* format, va_list args);

}  // namespace platform
