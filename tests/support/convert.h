// Conversions run the way the tool runs them, with their output captured.
#pragma once

#include <string>

// Converts `input` read from standard input through convertInput, from the
// scanner state of a fresh program. Throws std::runtime_error when the
// parser reports failure.
std::string convertStream(const std::string& input);

// The same with the scanner state as the last conversion left it: the next
// file of a run.
std::string convertNextStream(const std::string& input);

// Converts `input` held in a memory buffer made by yy_scan_bytes through
// convertInput, from the scanner state of a fresh program; the buffer is
// freed afterwards, and the scanner reads standard input again at its next
// call.
std::string convertMemory(const std::string& input);

// What is wrong with `output` as the conversion of the scanned `text`, or
// "" when nothing is: it must parse as the tool's expression with the value
// `text` without its line feeds, and be exactly expectedOutput(text).
std::string conversionFault(const std::string& output, const std::string& text);
