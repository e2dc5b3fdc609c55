#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

#include "support/convert.h"

namespace fuzz {

void failWithInput(const std::string& message, const std::uint8_t* data, std::size_t size) {
    std::fprintf(stderr, "\n*** %s\n*** input (%zu bytes):", message.c_str(), size);
    for (std::size_t i = 0; i < size; ++i) std::fprintf(stderr, "%s%02X", i % 32 == 0 ? "\n" : " ", data[i]);
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
    std::abort();
}

void checkConversion(const char* what, const std::string& output, const std::string& text,
                     const std::uint8_t* data, std::size_t size) {
    const std::string fault = conversionFault(output, text);
    if (!fault.empty()) failWithInput(std::string(what) + ": " + fault, data, size);
}

}  // namespace fuzz
