#include "parser/parser_state.h"

#include "scanner/engine.h"

int yy_lookahead = -1;
int yy_recovering = 0;
int yy_error_count = 0;
std::int32_t yy_token_value = 0;
int (*yy_token_source)() = yy_next_token;

int startStateStack[kStartStateSlots];
int stateDepth = 0;
int stateTrace = 0;

ConversionHooks* yy_hooks = nullptr;

void resetParserState() {
    yy_lookahead = -1;
    yy_recovering = 0;
    yy_error_count = 0;
    yy_token_value = 0;
    yy_token_source = yy_next_token;
    for (int& entry : startStateStack) entry = INITIAL;
    stateDepth = 0;
    stateTrace = 0;
    yy_hooks = nullptr;
}
