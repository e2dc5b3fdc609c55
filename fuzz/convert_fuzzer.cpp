// Converts the fuzz input as the tool converts one file: standard input
// reads the bytes, the per-file frame and the parser drive the scanner, and
// standard output is captured. The output must be a valid Visual Basic
// string expression whose value is the text the text-mode input delivers,
// without its line breaks, laid out line for line as that text.
//
// The input may begin with control bytes that vary the run:
//   0xFE L V...  an -nbl: option, 0xFD L V... an -nbf: option. The low four
//                bits of L give the length of the value V that follows; bit
//                4 writes the key in upper case.
//   0xFB K       the text is preceded by filler, so that the bytes after K
//                straddle the input and output streams' 64 KiB blocks and
//                the line history's 5000-character lines. K's low five bits
//                shorten the filler; bit 7 makes the filler one long line
//                instead of 80-character lines.
// Up to three control groups are read, in any order; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "driver/command_line.h"
#include "driver/named_options.h"
#include "fuzz_support.h"
#include "parser/scan_frame.h"
#include "support/convert.h"
#include "support/text_model.h"

namespace {

// A history of this many lines takes about 500 MB; the tool ends with
// status 2 when a larger one cannot be allocated, which would stop the
// fuzzer, so larger values are not run.
constexpr int kMaxHistoryLines = 100000;
constexpr std::size_t kBlock = 1 << 16;

std::string filler(std::uint8_t control) {
    std::size_t length = kBlock - (control & 0x1F);
    std::string text(length, 'x');
    if ((control & 0x80) == 0) {
        for (std::size_t i = 79; i < length; i += 80) text[i] = '\n';
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    clearNamedOptions();

    std::string prefix;
    std::size_t pos = 0;
    for (int group = 0; group < 3 && pos + 1 < size; ++group) {
        std::uint8_t tag = data[pos];
        std::uint8_t control = data[pos + 1];
        if (tag == 0xFE || tag == 0xFD) {
            std::size_t length = control & 0x0F;
            if (pos + 2 + length > size) break;
            std::string key = tag == 0xFE ? "nbl:" : "nbf:";
            if (control & 0x10) key = tag == 0xFE ? "NBL:" : "NBF:";
            // The option text ends at a NUL, as an argument does.
            std::string value(reinterpret_cast<const char*>(data + pos + 2), length);
            value = value.c_str();
            int number;
            if (tag == 0xFE && readDecimal(value.c_str(), &number) && number > kMaxHistoryLines) return 0;
            std::string argument = "-" + key + value;
            classifyOption(argument.c_str());
            pos += 2 + length;
        } else if (tag == 0xFB && prefix.empty()) {
            prefix = filler(control);
            pos += 2;
        } else {
            break;
        }
    }

    std::string input = prefix + std::string(reinterpret_cast<const char*>(data + pos), size - pos);

    std::string output;
    try {
        output = convertStream(input);
    } catch (const std::runtime_error& error) {
        fuzz::failWithInput(error.what(), data, size);
    }
    clearNamedOptions();

    fuzz::checkConversion("standard input", output, textModeDecode(input), data, size);
    return 0;
}
