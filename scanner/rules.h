// The conversion rules: each input byte becomes part of a Visual Basic
// string expression on standard output.
#pragma once

#include "platform/text_output.h"

// 1 while a string literal is open on the current output line.
extern int inString;
// 1 once a text byte of the current file has been written.
extern int textSeen;

// The engine's output stream for matched bytes: standard output.
extern platform::TextOutputStream* scan_out;

// Rule actions for a one-byte match at match_start.
void ruleQuote();      // rule 1: a double quote, written doubled
void ruleNewline();    // rule 2: a line feed ends the line of the expression
void ruleText();       // rule 3: any other byte, written unchanged
void ruleDefault();    // rule 4: never matched by these tables

// "\t= \"", leaving the string open.
void writePrologue();
// Closes the open string, or adds an empty operand when the input ended
// with a line feed, so that the expression is always complete.
void writeEpilogue();
