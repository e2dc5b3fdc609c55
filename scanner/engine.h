// The matching engine: finds one match at a time and runs its rule.
#pragma once

#include "scanner/scanner_state.h"

// Converts the input to its end; returns 0 (end of input).
int yy_next_token();
// The DFA state reached from start_code over match_start .. scan_pos.
int yy_prev_state();
// The state after a NUL data byte, or 0 when that leads to the jam state.
int yy_try_nul(int state);
