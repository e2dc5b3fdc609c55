#include "scanner/engine.h"

#include "platform/text_input.h"
#include "platform/text_output.h"
#include "scanner/block_path.h"
#include "scanner/fatal.h"
#include "scanner/line_state.h"
#include "scanner/refill.h"
#include "scanner/rules.h"
#include "scanner/scan_buffer.h"
#include "scanner/tables.h"
#include "scanner/wrap_hook.h"

namespace {

constexpr int kEndOfBufferAction = 5;

void firstCallSetUp() {
    first_call = 0;
    if (start_code == 0) start_code = kInitialStartCode;
    if (scan_in == nullptr) scan_in = &platform::standardInput();
    if (scan_out == nullptr) scan_out = &platform::standardOutput();
    if (current_buffer == nullptr) current_buffer = yy_create_buffer(scan_in, kDefaultBufferSize);
    yy_load_state();
}

}  // namespace

int yy_prev_state() {
    int state = start_code;
    for (char* p = match_start; p < scan_pos; ++p) {
        // Here a NUL is data: it takes the NUL class, not the end mark's.
        int byteClass = *p != '\0' ? yy_class_table[static_cast<unsigned char>(*p)] : kNulClass;
        if (yy_accept_table[state] != 0) {
            last_accept_state = state;
            last_accept_pos = p;
        }
        state = yy_dense.byClass[state][byteClass];
    }
    return state;
}

int yy_try_nul(int state) {
    if (yy_accept_table[state] != 0) {
        last_accept_state = state;
        last_accept_pos = scan_pos;
    }
    int next = yy_dense.byClass[state][kNulClass];
    return next == kJamState ? 0 : next;
}

int yy_next_token() {
    char* cp;
    char* bp;
    int state;
    int act;
    int kept;

    if (first_call) firstCallSetUp();
    // A buffer freed while current leaves none: scanning goes on from the
    // input stream, as at the first call, instead of through a null buffer.
    if (current_buffer == nullptr) {
        if (scan_in == nullptr) scan_in = &platform::standardInput();  // a memory buffer had none
        current_buffer = yy_create_buffer(scan_in, kDefaultBufferSize);
        yy_load_state();
    }

    for (;;) {
        // Only INITIAL is declared in these tables; matching from any
        // other start code would follow rows that are not start states.
        if (start_code != kInitialStartCode) yy_fatal("fatal scanner internal error--unknown start state");
        // The steady state of a file scan goes by runs; what follows it (a
        // NUL, a 0x1A, the end of the input) takes the steps below.
        if (atSteadyEndMark()) scanRuns();
        cp = scan_pos;
        *cp = held_char;
        bp = cp;
        state = start_code;

    match:
        do {
            if (yy_accept_table[state] != 0) {
                last_accept_state = state;
                last_accept_pos = cp;
            }
            state = yy_dense.byByte[state][static_cast<unsigned char>(*cp)];
            ++cp;
        } while (yy_base_table[state] != kJamBase);

    find_action:
        act = yy_accept_table[state];
        if (act == 0) {
            cp = last_accept_pos;
            state = last_accept_state;
            act = yy_accept_table[state];
        }
        match_start = bp;
        match_length = static_cast<int>(cp - bp);
        held_char = *cp;
        *cp = '\0';
        scan_pos = cp;

    dispatch:
        switch (act) {
            case 0:
                *cp = held_char;
                cp = last_accept_pos;
                state = last_accept_state;
                goto find_action;
            case 1:
                ruleQuote();
                continue;
            case 2:
                ruleNewline();
                continue;
            case 3:
                ruleText();
                continue;
            case 4:
                ruleDefault();
                continue;
            case kEndOfBufferAction:
                break;  // below
            case 6:
                return 0;
            default:
                yy_fatal("fatal scanner internal error--no action found");
        }

        // End of buffer: the match ran into a NUL, the end mark or data.
        *cp = held_char;
        kept = static_cast<int>(cp - match_start) - 1;
        if (current_buffer->status == SCAN_NEW) {
            scan_count = current_buffer->char_count;
            current_buffer->input_stream = scan_in;
            current_buffer->status = SCAN_NORMAL;
        }
        if (scan_pos <= current_buffer->storage + scan_count) {
            // A NUL that is data.
            scan_pos = match_start + kept;
            state = yy_prev_state();
            int next = yy_try_nul(state);
            bp = match_start;
            if (next != 0) {
                cp = ++scan_pos;
                state = next;
                goto match;
            }
            cp = scan_pos;
            goto find_action;
        }
        switch (yy_refill()) {
            case REFILL_CONTINUE:
                scan_pos = match_start + kept;
                state = kept == 0 ? start_code : yy_prev_state();
                cp = scan_pos;
                bp = match_start;
                goto match;
            case REFILL_END:
                switched_at_end = 0;
                if (yy_wrap_hook()) {
                    scan_pos = match_start;
                    act = 6 + (start_code - 1) / 2;
                    goto dispatch;
                }
                if (!switched_at_end) yy_restart_input(scan_in);
                continue;
            case REFILL_LAST_MATCH:
                scan_pos = current_buffer->storage + scan_count;
                state = yy_prev_state();
                cp = scan_pos;
                bp = match_start;
                goto find_action;
            default:
                continue;
        }
    }
}
