// What the fuzz targets share beyond the test helpers: reporting a failed
// property with the input that caused it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Checks `output` for the scanned `text` (conversionFault); on a fault
// prints what went wrong and the fuzz input in hex to standard error and
// aborts, which the fuzzer reports as a crash.
void checkConversion(const char* what, const std::string& output, const std::string& text,
                     const std::uint8_t* data, std::size_t size);

// Prints `message` and the fuzz input in hex, then aborts.
[[noreturn]] void failWithInput(const std::string& message, const std::uint8_t* data, std::size_t size);

}  // namespace fuzz
