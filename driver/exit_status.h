// The statuses the tool ends with (the README's table of exit statuses).
#pragma once

#include "platform/process.h"
#include "scanner/fatal.h"

enum class ExitStatus : int {
    // A normal end, also when no file matched; the usage text asked for;
    // --version.
    Normal = 0,
    // -a together with -r, a file specification with no name, an eleventh
    // directory.
    CommandLineError = 1,
    // Standard input or output cannot be duplicated, or an input file
    // cannot be opened.
    OpenFailed = -1,
    // The result cannot be created, written completely, or put in place.
    OutputFailed = -2,
    // The parser reports failure.
    ParseFailed = -3,
    // A fatal scanner error: the scanner and the scan frame end the process
    // themselves.
    ScannerFatal = kScannerFatalStatus,
};

// Ends the process with `status`; standard output is flushed first.
[[noreturn]] inline void exitWith(ExitStatus status) { platform::exitProcess(static_cast<int>(status)); }
