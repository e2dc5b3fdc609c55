// Runs the memory-buffer services over the fuzz input: a copy made by
// yy_scan_bytes, a caller's block handed to yy_scan_buffer, and a C string
// given to yy_scan_text. A memory buffer takes every byte as it is (no
// text-mode conversion), so each output must be an expression whose value
// is the scanned bytes without their line feeds, one line per line. yy_scan_buffer must refuse
// blocks that are too small or do not end in two NULs without reading
// outside them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "parser/convert_input.h"
#include "scanner/scan_buffer.h"
#include "support/capture.h"

namespace {

// The conversion of the current memory buffer, as the tool converts an
// input; the buffer is freed afterwards.
std::string convert(ScanBuffer* buffer, const std::uint8_t* data, std::size_t size) {
    int parsed = -1;
    std::string output = captureStdout([&] { parsed = convertInput(); });
    yy_free_buffer(buffer);
    if (parsed != 0) fuzz::failWithInput("the parser reported failure", data, size);
    return output;
}

void expectBuffer(const char* what, ScanBuffer* buffer, const std::uint8_t* data, std::size_t size) {
    if (buffer == nullptr) fuzz::failWithInput(std::string(what) + ": no buffer", data, size);
    if (current_buffer != buffer) fuzz::failWithInput(std::string(what) + ": not the current buffer", data, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    resetScanState();

    // A copy of the bytes, made by the scanner.
    ScanBuffer* buffer = yy_scan_bytes(bytes.data(), static_cast<int>(size));
    expectBuffer("yy_scan_bytes", buffer, data, size);
    fuzz::checkConversion("yy_scan_bytes", convert(buffer, data, size), bytes, data, size);

    // The caller's block with its two end NULs, on the heap at its exact
    // size so that any access beyond it is seen.
    {
        std::vector<char> block(bytes.begin(), bytes.end());
        block.push_back('\0');
        block.push_back('\0');
        block.shrink_to_fit();
        buffer = yy_scan_buffer(block.data(), block.size());
        expectBuffer("yy_scan_buffer", buffer, data, size);
        fuzz::checkConversion("yy_scan_buffer", convert(buffer, data, size), bytes, data, size);
    }

    // A C string: the text ends at the first NUL.
    {
        std::string text = bytes.c_str();
        buffer = yy_scan_text(text.c_str());
        expectBuffer("yy_scan_text", buffer, data, size);
        fuzz::checkConversion("yy_scan_text", convert(buffer, data, size), text, data, size);
    }

    // The fuzz input itself as a block: refused when it is shorter than two
    // bytes or does not end in two NULs, scanned otherwise. It is held in
    // an allocation of exactly its size, so a read before or beyond it is
    // reported.
    {
        char* block = static_cast<char*>(std::malloc(size));
        if (block == nullptr && size > 0) return 0;
        if (size > 0) std::memcpy(block, data, size);
        ScanBuffer* before = current_buffer;
        buffer = yy_scan_buffer(block, size);
        bool acceptable = size >= 2 && block[size - 2] == '\0' && block[size - 1] == '\0';
        if (!acceptable) {
            if (buffer != nullptr) fuzz::failWithInput("yy_scan_buffer accepted a block without its end mark", data, size);
            if (current_buffer != before) fuzz::failWithInput("a refused block changed the current buffer", data, size);
        } else {
            expectBuffer("yy_scan_buffer on the raw block", buffer, data, size);
            fuzz::checkConversion("yy_scan_buffer on the raw block", convert(buffer, data, size),
                                  bytes.substr(0, size - 2), data, size);
        }
        std::free(block);
    }
    return 0;
}
