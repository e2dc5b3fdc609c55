// The table-driven LR parser that drives the scanner over one input.
#pragma once

#include <cstdint>

#include "parser/parser_state.h"

constexpr int kParserStackSize = 500;
constexpr int kErrorToken = 256;

// 0 when the input was accepted, 1 after a syntax error or a full stack.
int yy_parse_input();
// "Syntax error ligne N in file PATH -> <TOKEN>: MESSAGE" on standard error.
void yy_syntax_error(const char* message);
