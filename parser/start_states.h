// The stack of start states, with its trace on standard output.
#pragma once

#include "parser/parser_state.h"

// Replaces the current entry; no bound test, no trace.
void setState(int state);
// Pushes a state (nothing happens at depth 49).
void beginState(int state);
// Pops back to the state below (nothing happens at depth 0).
void returnState();
const char* stateName(int state);
