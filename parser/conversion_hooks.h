// What the scan frame and the parser take from whoever runs a conversion:
// the named options of the command line, the trace switch, the path of the
// input and where a diagnostic line goes, and two points at which a caller
// may look at the process-wide state. Handed to convertInput with each
// conversion; the defaults stand for a caller that gives none.
#pragma once

#include <string>

class ConversionHooks {
public:
    virtual ~ConversionHooks() = default;
    // The text after `key` in the first named option matching it in any
    // case, or "" (never null).
    virtual const char* namedOptionValue(const char* key);
    // True when the start-state trace is wanted (-v).
    virtual bool traceWanted() { return false; }
    // The path of the input being converted, or null.
    virtual const char* currentPath() { return nullptr; }
    // One diagnostic line, its newline included: standard error.
    virtual void diagnostic(const std::string& line);

    // The frame has begun the input (the line history is made), nothing is
    // read yet.
    virtual void fileBegun() {}
    // The parser has returned, accepted or not; the frame has not ended the
    // input, so its history is still there.
    virtual void parserReturned() {}
};

// The hooks of the conversion under way (the defaults outside one).
ConversionHooks& activeHooks();
