// The table-driven LR parser that drives the scanner over one input.
#pragma once

#include <cstdint>

constexpr int kParserStackSize = 500;
constexpr int kErrorToken = 256;

extern int yy_lookahead;
extern int yy_recovering;
extern int yy_error_count;
extern std::int32_t yy_token_value;
// Where the parser takes its tokens from: the scanner, unless a test
// supplies another source.
extern int (*yy_token_source)();

// 0 when the input was accepted, 1 after a syntax error or a full stack.
int yy_parse_input();
// "Syntax error ligne N in file PATH -> <TOKEN>: MESSAGE" on standard error.
void yy_syntax_error(const char* message);
