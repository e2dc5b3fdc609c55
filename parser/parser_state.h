// The parser's process-wide state, in one place: the parser's lookahead and
// error counters, its token source, the start-state stack and its trace,
// and the end-of-input hook the scan frame gives the scanner. Declared
// here, defined in parser_state.cpp beside the reset that puts them back
// as at program start. (The parse stacks are private to one parse.)
#pragma once

#include <cstdint>

class ConversionHooks;

constexpr int INITIAL = 0;
constexpr int kStartStateSlots = 50;

extern int yy_lookahead;
extern int yy_recovering;
extern int yy_error_count;
extern std::int32_t yy_token_value;
// Where the parser takes its tokens from: the scanner, unless a test
// supplies another source.
extern int (*yy_token_source)();

extern int startStateStack[kStartStateSlots];
extern int stateDepth;  // entries in use above the base entry, 0 to 49
extern int stateTrace;  // write a trace line on every BEGIN and RETURN

// The hooks of the conversion under way, set by convertInput; null outside
// one.
extern ConversionHooks* yy_hooks;

// Puts every variable above back as at program start: no lookahead, the
// stack at INITIAL without trace, the scanner as the token source.
void resetParserState();
