#include "parser/convert_input.h"

#include "parser/parser.h"
#include "parser/scan_frame.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "scanner/scanner_state.h"
#include "scanner/wrap_hook.h"

namespace {

// The hooks stay in place for the conversion alone, however it returns.
class HooksInPlace {
public:
    explicit HooksInPlace(ConversionHooks* hooks) { yy_hooks = hooks; }
    ~HooksInPlace() { yy_hooks = nullptr; }
};

}  // namespace

int convertInput(const ConversionSetup& setup) {
    platform::TextInputStream& in = setup.in != nullptr ? *setup.in : platform::standardInput();
    platform::TextOutputStream& out = setup.out != nullptr ? *setup.out : platform::standardOutput();
    HooksInPlace hooksInPlace(setup.hooks);
    in.reset();
    out.flush();
    out.clearError();
    out.resetByteCount();
    yy_use_streams(&in, &out);
    yy_set_wrap_hook(wrapHook);
    platform::ByteOrderMarkKind kind = platform::ByteOrderMarkKind::None;
    if (setup.mark != ByteOrderMark::Ignore) kind = in.skipByteOrderMark();
    // A UTF-16 text is read as UTF-8 and written in ASCII, as under -chrw;
    // an output in ASCII keeps no mark.
    const bool utf16 =
        kind == platform::ByteOrderMarkKind::Utf16LittleEndian || kind == platform::ByteOrderMarkKind::Utf16BigEndian;
    if (kind == platform::ByteOrderMarkKind::Utf8 && setup.mark == ByteOrderMark::Keep && !setup.form.chrw) {
        out.writeRaw(platform::kUtf8ByteOrderMark, platform::kUtf8ByteOrderMarkSize);
    }
    yy_use_form(setup.form, utf16);

    ConversionHooks& hooks = activeHooks();
    beginFileScan();
    hooks.fileBegun();
    beforeParse();
    const int parsed = yy_parse_input();
    hooks.parserReturned();
    if (parsed != 0) return kParseFailed;
    // An input that could not be read whole gets no epilogue: what was
    // written of it is no complete expression.
    if (in.hasError()) return kReadFailed;
    endFileScan();
    afterParse();
    return kConverted;
}

void resetScanState() {
    resetScannerState();
    resetParserState();
}
