#include "parser/convert_input.h"

#include <cstdint>

#include "parser/parser.h"
#include "parser/scan_frame.h"
#include "parser/start_states.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "scanner/engine.h"
#include "scanner/line_history.h"
#include "scanner/line_state.h"
#include "scanner/rules.h"
#include "scanner/scan_buffer.h"

int convertInput(ByteOrderMark mark, ConversionObserver* observer) {
    platform::standardInput().reset();
    platform::TextOutputStream& out = platform::standardOutput();
    out.flush();
    out.clearError();
    out.resetByteCount();
    if (mark != ByteOrderMark::Ignore && platform::standardInput().skipByteOrderMark() &&
        mark == ByteOrderMark::Keep) {
        out.writeRaw(platform::kUtf8ByteOrderMark, platform::kUtf8ByteOrderMarkSize);
    }

    beginFileScan();
    if (observer != nullptr) observer->fileBegun();
    beforeParse();
    const int parsed = yy_parse_input();
    if (observer != nullptr) observer->parserReturned();
    if (parsed != 0) return 1;
    endFileScan();
    afterParse();
    return 0;
}

void resetScanState() {
    yy_free_buffer(current_buffer);
    current_buffer = nullptr;
    scan_pos = nullptr;
    match_start = nullptr;
    held_char = 0;
    scan_count = 0;
    scan_in = nullptr;
    switched_at_end = 0;

    first_call = 1;
    start_code = 0;
    match_length = 0;
    last_accept_state = 0;
    last_accept_pos = nullptr;

    scan_out = nullptr;
    inString = 0;
    textSeen = 0;

    for (int& entry : startStateStack) entry = INITIAL;
    stateDepth = 0;
    stateTrace = 0;

    noLng = 1;
    clearCurLine();
    freeLineHistoryStorage();
    histPos = 0;
    histFilling = 1;
    for (std::int64_t& mark : marks) mark = 0;
    markRead = 0;
    markWrite = 0;
    nbl = kDefaultHistoryLines;
    nbf = kDefaultHistoryLines / 2;

    yy_token_source = yy_next_token;
}
