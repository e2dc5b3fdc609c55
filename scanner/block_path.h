// The block path: the steady state of a stream buffer, taken a run of
// bytes at a time instead of one byte per cycle.
#pragma once

#include <cstdint>

#include "scanner/scan_buffer.h"
#include "scanner/tables.h"

// block_path_enabled (scanner state) switches the path: both ways give the
// same output and the same line state; the switch exists to show that.

// Matching from the INITIAL start state over the end mark, worked out from
// the tables: the action it selects, the length of its match, and the
// last accepting state passed on the way with its offset.
struct EndMarkMatch {
    bool known;  // false: the match would read past the two NULs
    int act;
    int length;
    int lastAcceptState;
    int lastAcceptOffset;
};
constexpr EndMarkMatch endMarkMatchOf() {
    int state = kInitialStartCode;
    int offset = 0;
    int lastState = -1;
    int lastOffset = 0;
    do {
        if (offset == 2) return {false, 0, 0, 0, 0};
        if (yy_accept_table[state] != 0) {
            lastState = state;
            lastOffset = offset;
        }
        state = yy_dense.byByte[state][0];
        ++offset;
    } while (yy_base_table[state] != kJamBase);
    int act = yy_accept_table[state];
    if (act == 0) {
        if (lastState < 0) return {false, 0, 0, 0, 0};
        state = lastState;
        offset = lastOffset;
        act = yy_accept_table[state];
    }
    return {true, act, offset, lastState, lastOffset};
}
inline constexpr EndMarkMatch yy_end_mark_match = endMarkMatchOf();

// The state in which the per-byte steps would only read the next byte and
// run its rule: a stream buffer read a byte at a time (not a terminal),
// scanning in INITIAL at its end mark with nothing of a match kept, where
// the match over the end mark is the end-of-buffer action on its one byte.
inline bool atSteadyEndMark() {
    constexpr int kEndOfBufferAction = 5;
    constexpr bool endMarkIsEndOfBuffer =
        yy_end_mark_match.known && yy_end_mark_match.act == kEndOfBufferAction && yy_end_mark_match.length == 1;
    const ScanBuffer* b = current_buffer;
    return endMarkIsEndOfBuffer && block_path_enabled && scan_pos == b->storage + scan_count &&
           b->status == SCAN_NORMAL && b->may_refill && !b->is_interactive && b->size > 1;
}

// From the steady state: takes the input stream's runs and runs the rules
// over them, a run of text bytes as one match and a CR LF pair as the line
// feed the per-byte steps read, until the next byte needs the per-byte
// steps (a NUL, a 0x1A, a CR whose partner is unread, the end of the
// input). Leaves the scanner as the per-byte steps would after the last
// byte it took, or untouched when it took none.
void scanRuns();
