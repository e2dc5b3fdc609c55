// Conversions run the way the tool runs them, with their output captured.
#pragma once

#include <string>

#include "parser/convert_input.h"
#include "scanner/output_form.h"

// Converts `input` read from standard input through convertInput, from the
// scanner state of a fresh program, with `hooks` (none: the defaults).
// Throws std::runtime_error when the parser reports failure.
std::string convertStream(const std::string& input, ConversionHooks* hooks = nullptr);

// The same with the scanner state as the last conversion left it: the next
// file of a run.
std::string convertNextStream(const std::string& input, ConversionHooks* hooks = nullptr);

// Converts `input` held in a memory buffer made by yy_scan_bytes through
// convertInput, from the scanner state of a fresh program; the buffer is
// freed afterwards, and the scanner reads standard input again at its next
// call.
std::string convertMemory(const std::string& input);

// The form of the options -nl (lineEnd), -var (variable, "" without it),
// -vba and -chrw.
OutputForm formOf(LineEndConstant lineEnd, const std::string& variable, bool vba, bool chrw);

// Converts `input` read from standard input in `form`, from the scanner
// state of a fresh program; `mark` as the tool's console mode (Drop) or
// replace mode (Keep) takes a byte-order mark.
std::string convertInForm(const std::string& input, const OutputForm& form,
                          ByteOrderMark mark = ByteOrderMark::Drop, ConversionHooks* hooks = nullptr);

// What is wrong with `output` as the conversion of the scanned `text` in
// `form`, or "" when nothing is: it must parse, its value must be `text`
// with each line feed replaced by the form's line-end constant (removed
// without -nl), it must assign the form's variable, and under -vba keep
// the limits of VBA and VB6.
std::string formFault(const std::string& output, const std::string& text, const OutputForm& form);

// What is wrong with `output` as the conversion of the scanned `text`, or
// "" when nothing is: it must parse as the tool's expression with the value
// `text` without its line feeds, and be exactly expectedOutput(text).
std::string conversionFault(const std::string& output, const std::string& text);
