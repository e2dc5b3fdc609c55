#include "driver/decode_file.h"

#include <string>

#include "driver/exit_status.h"
#include "driver/log_line.h"
#include "driver/named_options.h"
#include "parser/decode_input.h"
#include "platform/names.h"
#include "platform/text_input.h"

namespace {

int decodeFailures = 0;

}  // namespace

bool decodeRequested() {
    for (int i = 0; i < namedOptionCount(); ++i)
        if (platform::equalIgnoringCase(namedOptionAt(i), "decode")) return true;
    return false;
}

bool decodeSelected(const SelectedFile& file, OpenedInput& opened, ByteOrderMark mark, std::string& decoded) {
    platform::standardInput().attach(opened.fd, opened.facts.isRegular, opened.facts.size);
    DecodeStop stop;
    if (readDecodedInput(mark, decoded, stop)) return true;
    platform::standardInput().attach(0, false);
    closeSelected(opened);
    ++decodeFailures;
    logLine("!!! Parsing impossible de %s (ligne %s, colonne %s)\n", file.path.c_str(),
            std::to_string(stop.line).c_str(), std::to_string(stop.column).c_str());
    return false;
}

ExitStatus runEndStatus() { return decodeFailures > 0 ? ExitStatus::ParseFailed : ExitStatus::Normal; }
