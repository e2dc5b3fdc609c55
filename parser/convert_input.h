// Converting one input to one output: the scan frame, the parser and the
// engine, as the tool converts each file. Every caller (the tool, the
// tests, the fuzzers, the benchmark) converts through convertInput,
// handing it the streams, the output form and its hooks.
#pragma once

#include "parser/conversion_hooks.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "scanner/output_form.h"

// What a byte-order mark at the start of the input is taken for: Drop
// consumes it, Keep writes a UTF-8 mark to the output before the prologue
// (unless the output is ASCII: -chrw), Ignore does not look (for inputs
// that are not the start of a text, such as a memory buffer). After a
// UTF-16 mark the text is read as UTF-16 and written in ASCII (characters
// outside it as ChrW calls).
enum class ByteOrderMark { Ignore, Drop, Keep };

struct ConversionSetup {
    platform::TextInputStream* in = nullptr;    // null: standard input
    platform::TextOutputStream* out = nullptr;  // null: standard output
    OutputForm form;
    ByteOrderMark mark = ByteOrderMark::Ignore;
    ConversionHooks* hooks = nullptr;  // null: the defaults
};

// The results of convertInput.
constexpr int kConverted = 0;
// The parser reported failure: returned at once, the frame left open for
// the caller, who ends the run.
constexpr int kParseFailed = 1;
// Reading the input failed (the input stream tells why): the conversion
// ended there, the frame left open as after a parse failure.
constexpr int kReadFailed = 2;

// Converts what the scanner reads next (the input stream, or the memory
// buffer made current) to the output: both streams start afresh (nothing
// buffered from an earlier input, no error, no bytes counted), then the
// frame, the parser and the engine run.
int convertInput(const ConversionSetup& setup = ConversionSetup());

// Puts the process-wide state of the scanner, the parser and the scan frame
// back as it is at program start: no buffer, the engine's first call to
// come, no match, the start-state stack at INITIAL without trace, line 1 with
// an empty line and no history of the default size, the scanner as the
// parser's token source. The tool converts one input after another without
// it; a caller that converts unrelated inputs in one process calls it before
// each.
void resetScanState();
