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
    platform::ByteOrderMarkKind kind = platform::ByteOrderMarkKind::None;
    if (mark != ByteOrderMark::Ignore) kind = platform::standardInput().skipByteOrderMark();
    // A UTF-16 text is read as UTF-8 and written in ASCII, as under -chrw;
    // an output in ASCII keeps no mark.
    const bool utf16 = kind == platform::ByteOrderMarkKind::Utf16LittleEndian ||
                       kind == platform::ByteOrderMarkKind::Utf16BigEndian;
    if (kind == platform::ByteOrderMarkKind::Utf8 && mark == ByteOrderMark::Keep && !outputForm.chrw) {
        out.writeRaw(platform::kUtf8ByteOrderMark, platform::kUtf8ByteOrderMarkSize);
    }
    formWriterOn = utf16 || !outputForm.isDefault() ? 1 : 0;
    if (formWriterOn) formWriter.begin(outputForm, utf16);

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
    resetScannerState();
    resetParserState();
}
