// Converting one input to one output: the scan frame, the parser and the
// engine over the scanner's current input, as the tool converts each file.
#pragma once

// Converts what the scanner reads next (standard input, or the memory
// buffer made current) to standard output: the standard streams start
// afresh (nothing buffered from an earlier input, no error, no bytes
// counted), then the frame, the parser and the engine run. Returns 0 when
// the parser accepted; on a parse failure returns 1 at once, leaving the
// frame open for the caller, who ends the run.
// A byte-order mark at the start of standard input is no text: Drop
// consumes it, Keep writes a UTF-8 mark to the output before the prologue
// (unless the output is ASCII: -chrw), Ignore does not look (for inputs
// that are not standard input). After a UTF-16 mark the text is read as
// UTF-16 and written in ASCII (characters outside it as ChrW calls).
// The output has the form of outputForm.
enum class ByteOrderMark { Ignore, Drop, Keep };

// Lets a caller look at (or set up) the process-wide state at two points of
// one conversion; the tool itself passes none.
class ConversionObserver {
public:
    virtual ~ConversionObserver() = default;
    // The frame has begun the file (the line history is made), nothing is
    // read yet.
    virtual void fileBegun() {}
    // The parser has returned, accepted or not; the frame has not ended the
    // file, so its history is still there.
    virtual void parserReturned() {}
};

int convertInput(ByteOrderMark mark = ByteOrderMark::Ignore, ConversionObserver* observer = nullptr);

// Puts the process-wide state of the scanner, the parser and the scan frame
// back as it is at program start: no buffer, the engine's first call to
// come, no match, the start-state stack at INITIAL without trace, line 1 with
// an empty line and no history of the default size, the scanner as the
// parser's token source. The tool converts one input after another without
// it; a caller that converts unrelated inputs in one process calls it before
// each.
void resetScanState();
