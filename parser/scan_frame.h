// The frame around the conversion of one file.
#pragma once

// Resets the per-file state, sizes the line history from -nbl:/-nbf:, and
// writes the prologue. A history that cannot be allocated ends the run.
void beginFileScan();
// Releases the history and writes the epilogue.
void endFileScan();
// Consulted at end of input: 1, no further input follows.
int wrapHook();
void beforeParse();
void afterParse();

// Reads a decimal integer as "%d" does (leading blanks, sign, digits).
// False when the text does not begin with a number; values beyond the int
// range saturate.
bool readDecimal(const char* text, int* value);
