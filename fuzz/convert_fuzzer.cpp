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
//   0xFA F       the output form and the byte-order mark, given as the
//                options the tool reads: F's low three bits choose -nl
//                (1 -nl, 2 -nl:vbLf, 3 -nl:VBCR, 4 -nl:vbNewLine), bit 3
//                -var:Fz_1, bit 4 -vba, bit 5 -chrw; bit 6 takes a mark as
//                the console does (a UTF-16 mark makes the text UTF-16),
//                bit 7 as replace mode does. The output must then be valid,
//                its value the text with the chosen line ends, and -vba
//                output must keep the limits of VBA and VB6.
// Up to four control groups are read, in any order; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/options.h"
#include "support/hooks.h"
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

// The options of a 0xFA group, as typed on a command line.
std::vector<std::string> formOptions(std::uint8_t control) {
    static const char* const kLineEnds[] = {"", "-nl", "-nl:vbLf", "-nl:VBCR", "-nl:vbNewLine", "", "", ""};
    std::vector<std::string> options;
    if (kLineEnds[control & 7][0] != '\0') options.push_back(kLineEnds[control & 7]);
    if (control & 0x08) options.push_back("-var:Fz_1");
    if (control & 0x10) options.push_back("-vba");
    if (control & 0x20) options.push_back("-chrw");
    return options;
}

// The text the conversion reads from `input` when a mark is taken, and
// whether a UTF-8 mark is written back in front of the output.
std::string markedText(const std::string& input, bool& keepsMark, bool keep, bool chrw) {
    keepsMark = false;
    if (input.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        keepsMark = keep && !chrw;
        return textModeDecode(input.substr(3));
    }
    if (input.compare(0, 2, "\xFF\xFE") == 0) return textModeDecode(utf16AsUtf8(input.substr(2), false));
    if (input.compare(0, 2, "\xFE\xFF") == 0) return textModeDecode(utf16AsUtf8(input.substr(2), true));
    return textModeDecode(input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The named options as a run hands them to the conversion.
    TestHooks hooks;
    std::vector<std::string> formArguments = {"txt2vb"};

    std::string prefix;
    std::size_t pos = 0;
    bool formGiven = false;
    std::uint8_t formControl = 0;
    for (int group = 0; group < 4 && pos + 1 < size; ++group) {
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
            hooks.options.addNamedOption(key + value);
            pos += 2 + length;
        } else if (tag == 0xFA && !formGiven) {
            formGiven = true;
            formControl = control;
            for (const std::string& option : formOptions(control)) formArguments.push_back(option);
            pos += 2;
        } else if (tag == 0xFB && prefix.empty()) {
            prefix = filler(control);
            pos += 2;
        } else {
            break;
        }
    }

    std::string input = prefix + std::string(reinterpret_cast<const char*>(data + pos), size - pos);

    if (formGiven) {
        std::vector<const char*> argv;
        for (const std::string& argument : formArguments) argv.push_back(argument.c_str());
        argv.push_back("x");
        const OptionsRead read = readOptions(static_cast<int>(argv.size()), argv.data());
        if (read.refusal.failed()) fuzz::failWithInput("options refused: " + read.refusal.text, data, size);
        const OutputForm& form = read.options.form;
        const bool keep = (formControl & 0x80) != 0;
        const ByteOrderMark mark = keep ? ByteOrderMark::Keep : (formControl & 0x40) ? ByteOrderMark::Drop
                                                                                    : ByteOrderMark::Ignore;
        // A mark counts at the very start of the input only.
        if (mark != ByteOrderMark::Ignore) input = std::string(reinterpret_cast<const char*>(data + pos), size - pos);
        std::string output;
        try {
            output = convertInForm(input, form, mark, &hooks);
        } catch (const std::runtime_error& error) {
            fuzz::failWithInput(error.what(), data, size);
        }
        bool keepsMark = false;
        const std::string text = mark == ByteOrderMark::Ignore ? textModeDecode(input)
                                                               : markedText(input, keepsMark, keep, form.chrw);
        if (keepsMark) {
            if (output.compare(0, 3, "\xEF\xBB\xBF") != 0) fuzz::failWithInput("the mark was not kept", data, size);
            output.erase(0, 3);
        }
        const std::string fault = formFault(output, text, form);
        if (!fault.empty()) fuzz::failWithInput("form: " + fault, data, size);
        return 0;
    }

    std::string output;
    try {
        output = convertStream(input, &hooks);
    } catch (const std::runtime_error& error) {
        fuzz::failWithInput(error.what(), data, size);
    }

    fuzz::checkConversion("standard input", output, textModeDecode(input), data, size);
    return 0;
}
