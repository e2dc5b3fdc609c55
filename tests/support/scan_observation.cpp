#include "support/scan_observation.h"

#include <string>

#include "support/hooks.h"
#include "parser/convert_input.h"
#include "scanner/block_path.h"
#include "scanner/line_history.h"
#include "scanner/line_state.h"
#include "scanner/rules.h"
#include "support/capture.h"

namespace {

void snapshotLineState(ScanObservation& seen) {
    seen.lineNumber = noLng;
    seen.curLine = curLine;
    seen.curLineLength = curLineLength;
    seen.slots.clear();
    for (int i = 0; histEntries != nullptr && i < nbl; ++i) seen.slots.emplace_back(histEntries[i].line, histEntries[i].text);
    seen.histPos = histPos;
    seen.histFilling = histFilling;
    seen.marks.assign(marks, marks + kMarkSlots);
    seen.markRead = markRead;
    seen.markWrite = markWrite;
    seen.inString = inString;
    seen.textSeen = textSeen;
}

// The bytes of text[from, from + length) in hex.
std::string shown(const std::string& text, std::size_t from, std::size_t length) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = from; i < text.size() && i < from + length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!out.empty()) out += ' ';
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

std::string textDifference(const char* what, const std::string& blocks, const std::string& perByte) {
    if (blocks == perByte) return "";
    std::size_t at = 0;
    while (at < blocks.size() && at < perByte.size() && blocks[at] == perByte[at]) ++at;
    std::size_t from = at > 20 ? at - 20 : 0;
    return std::string(what) + " differs at byte " + std::to_string(at) + " (sizes " + std::to_string(blocks.size()) +
           " and " + std::to_string(perByte.size()) + "), from byte " + std::to_string(from) +
           ": block path " + shown(blocks, from, 40) + " / per byte " + shown(perByte, from, 40);
}

template <typename T>
std::string valueDifference(const char* what, const T& blocks, const T& perByte) {
    if (blocks == perByte) return "";
    return std::string(what) + " differs: block path " + std::to_string(blocks) + ", per byte " +
           std::to_string(perByte);
}

// Marks the set-up's lines once the frame has made the history, and takes
// the line state before the frame ends the file and releases it.
class Observer : public TestHooks {
public:
    Observer(const HistorySetup& setup, ScanObservation& seen) : setup_(setup), seen_(seen) {}
    void fileBegun() override {
        for (std::int64_t line : setup_.marks) {
            noLng = line;
            addMark();
        }
        noLng = 1;
    }
    void parserReturned() override { snapshotLineState(seen_); }

private:
    const HistorySetup& setup_;
    ScanObservation& seen_;
};

}  // namespace

ScanObservation observeConversion(const std::string& raw, const HistorySetup& setup, bool blockPath,
                                  const OutputForm& form) {
    ScanObservation seen;
    // Without -nbl: the history has its default size, whatever an earlier
    // file of the sequence had.
    nbl = kDefaultHistoryLines;
    const bool wasEnabled = block_path_enabled;
    block_path_enabled = blockPath;
    const std::uint64_t takenBefore = block_path_bytes;
    Observer observer(setup, seen);
    if (setup.nbl != 0) observer.options.addNamedOption("nbl:" + std::to_string(setup.nbl));
    if (setup.nbf != 0) observer.options.addNamedOption("nbf:" + std::to_string(setup.nbf));
    ConversionSetup conversion;
    conversion.hooks = &observer;
    conversion.form = form;
    bool parsed = true;
    withStdin(raw, [&] {
        seen.output = captureStdout([&] { parsed = convertInput(conversion) == 0; });
    });
    if (!parsed) seen.output.insert(0, "(the parser reported failure) ");
    seen.blockBytes = block_path_bytes - takenBefore;
    block_path_enabled = wasEnabled;
    return seen;
}

std::string differenceBetween(const ScanObservation& blocks, const ScanObservation& perByte) {
    std::string found = textDifference("the output", blocks.output, perByte.output);
    if (found.empty()) found = valueDifference("noLng", blocks.lineNumber, perByte.lineNumber);
    if (found.empty()) found = textDifference("curLine", blocks.curLine, perByte.curLine);
    if (found.empty()) found = valueDifference("curLineLength", blocks.curLineLength, perByte.curLineLength);
    if (found.empty()) found = valueDifference("histPos", blocks.histPos, perByte.histPos);
    if (found.empty()) found = valueDifference("histFilling", blocks.histFilling, perByte.histFilling);
    if (found.empty()) found = valueDifference("history slots", blocks.slots.size(), perByte.slots.size());
    for (std::size_t i = 0; found.empty() && i < blocks.slots.size(); ++i) {
        const std::string slot = "history slot " + std::to_string(i);
        found = valueDifference((slot + " line").c_str(), blocks.slots[i].first, perByte.slots[i].first);
        if (found.empty()) found = textDifference((slot + " text").c_str(), blocks.slots[i].second, perByte.slots[i].second);
    }
    for (std::size_t i = 0; found.empty() && i < blocks.marks.size(); ++i)
        found = valueDifference(("mark " + std::to_string(i)).c_str(), blocks.marks[i], perByte.marks[i]);
    if (found.empty()) found = valueDifference("markRead", blocks.markRead, perByte.markRead);
    if (found.empty()) found = valueDifference("markWrite", blocks.markWrite, perByte.markWrite);
    if (found.empty()) found = valueDifference("inString", blocks.inString, perByte.inString);
    if (found.empty()) found = valueDifference("textSeen", blocks.textSeen, perByte.textSeen);
    return found;
}
