// The stack of start states, with its trace on standard output.
#pragma once

constexpr int INITIAL = 0;
constexpr int kStartStateSlots = 50;

extern int startStateStack[kStartStateSlots];
extern int stateDepth;  // entries in use above the base entry, 0 to 49
extern int stateTrace;  // write a trace line on every BEGIN and RETURN

// Replaces the current entry; no bound test, no trace.
void setState(int state);
// Pushes a state (nothing happens at depth 49).
void beginState(int state);
// Pops back to the state below (nothing happens at depth 0).
void returnState();
const char* stateName(int state);
