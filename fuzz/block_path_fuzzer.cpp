// Converts the fuzz input as the tool converts one file, once through the
// block path and once with it switched off; the output bytes, noLng,
// curLine, the line history and the marks must be the same. It does so in
// the default form, then in the form the last byte's low three bits choose
// (-vba, -chrw, -nl, -vba -chrw, -vba -nl -chrw -var, ...).
//
// The first byte, when there are at least two, varies the run:
//   bits 0-2  the history size: default, or -nbl: 1, 2, 3, 5, 15, 40, 100
//   bit 3     the text is preceded by filler in lines of 80, so that the
//             bytes after it straddle the input stream's first block end;
//             the next byte's low five bits shorten the filler
//   bits 4-7  that many of the following bytes mark lines 1 to 256
//             through addMark before the scan
// The rest is the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "support/convert.h"
#include "support/scan_observation.h"
#include "parser/convert_input.h"

namespace {

constexpr std::size_t kBlock = 1 << 16;

void compare(const std::string& raw, const HistorySetup& setup, const OutputForm& form, const std::uint8_t* data,
             std::size_t size) {
    resetScanState();
    const ScanObservation blocks = observeConversion(raw, setup, true, form);
    resetScanState();
    const ScanObservation perByte = observeConversion(raw, setup, false, form);
    const std::string difference = differenceBetween(blocks, perByte);
    if (!difference.empty()) fuzz::failWithInput("block path and per-byte steps differ: " + difference, data, size);
    if (perByte.blockBytes != 0) fuzz::failWithInput("the switched-off block path took bytes", data, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HistorySetup setup;
    std::string prefix;
    std::size_t pos = 0;
    if (size >= 2) {
        const std::uint8_t control = data[pos++];
        static const int kHistorySizes[8] = {0, 1, 2, 3, 5, 15, 40, 100};
        setup.nbl = kHistorySizes[control & 0x07];
        if (control & 0x08) {
            const std::size_t length = kBlock - (data[pos++] & 0x1F);
            prefix.assign(length, 'x');
            for (std::size_t i = 79; i < length; i += 80) prefix[i] = '\n';
        }
        for (int mark = 0; mark < (control >> 4) && pos < size; ++mark) setup.marks.push_back(1 + data[pos++]);
    }
    const std::string raw = prefix + std::string(reinterpret_cast<const char*>(data + pos), size - pos);

    compare(raw, setup, OutputForm(), data, size);
    static const OutputForm kForms[8] = {
        formOf(LineEndConstant::None, "", true, false),   formOf(LineEndConstant::None, "", false, true),
        formOf(LineEndConstant::CrLf, "", false, false),  formOf(LineEndConstant::None, "", true, true),
        formOf(LineEndConstant::CrLf, "T", true, true),   formOf(LineEndConstant::Lf, "Text_1", true, false),
        formOf(LineEndConstant::NewLine, "", false, true), formOf(LineEndConstant::Cr, "v", true, true)};
    if (size != 0) compare(raw, setup, kForms[data[size - 1] & 7], data, size);
    return 0;
}
