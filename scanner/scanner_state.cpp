#include "scanner/scanner_state.h"

#include "scanner/line_history.h"
#include "scanner/scan_buffer.h"
#include "scanner/wrap_hook.h"

namespace {

int noFurtherInput() { return 1; }

}  // namespace

int first_call = 1;
int start_code = 0;
int match_length = 0;
int last_accept_state = 0;
char* last_accept_pos = nullptr;

ScanBuffer* current_buffer = nullptr;
char* scan_pos = nullptr;
char* match_start = nullptr;
char held_char = 0;
int scan_count = 0;
ScanStream* scan_in = nullptr;
int switched_at_end = 0;
int (*yy_wrap_hook)() = noFurtherInput;

platform::TextOutputStream* scan_out = &platform::standardOutputStream;
int inString = 0;
int textSeen = 0;
int formWriterOn = 0;
FormWriter formWriter;

std::int64_t noLng = 1;
char curLine[kCurLineSize];
int curLineLength = 0;

HistoryEntry* histEntries = nullptr;
int histPos = 0;
int histFilling = 1;
int nbl = kDefaultHistoryLines;
int nbf = kDefaultHistoryLines / 2;
PendingText* pendingTexts = nullptr;
int pendingLines = 0;
std::int64_t marks[kMarkSlots];
int markRead = 0;
int markWrite = 0;

bool block_path_enabled = true;
std::uint64_t block_path_bytes = 0;

void resetScannerState() {
    yy_free_buffer(current_buffer);
    current_buffer = nullptr;
    scan_pos = nullptr;
    match_start = nullptr;
    held_char = 0;
    scan_count = 0;
    scan_in = nullptr;
    switched_at_end = 0;
    yy_wrap_hook = noFurtherInput;

    first_call = 1;
    start_code = 0;
    match_length = 0;
    last_accept_state = 0;
    last_accept_pos = nullptr;

    scan_out = &platform::standardOutput();
    inString = 0;
    textSeen = 0;
    formWriterOn = 0;

    noLng = 1;
    curLine[0] = '\0';
    curLineLength = 0;

    releaseLineHistory();
    freeLineHistoryStorage();
    histPos = 0;
    histFilling = 1;
    pendingLines = 0;
    for (std::int64_t& mark : marks) mark = 0;
    markRead = 0;
    markWrite = 0;
    nbl = kDefaultHistoryLines;
    nbf = kDefaultHistoryLines / 2;

}

void yy_set_wrap_hook(int (*hook)()) { yy_wrap_hook = hook != nullptr ? hook : noFurtherInput; }

void yy_use_streams(ScanStream* in, platform::TextOutputStream* out) {
    scan_out = out;
    // A memory buffer in use keeps its bytes; a stream buffer reads `in`
    // from its next refill (a buffer is renewed at every end of input).
    if (current_buffer == nullptr) {
        scan_in = in;
    } else if (current_buffer->input_stream != nullptr) {
        yy_bind_buffer(current_buffer, in);
        yy_load_state();
    }
}

void yy_use_form(const OutputForm& form, bool utf16) {
    formWriterOn = utf16 || !form.isDefault() ? 1 : 0;
    if (formWriterOn) formWriter.begin(form, utf16);
}
