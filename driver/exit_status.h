// The statuses the tool ends with (the README's table of exit statuses).
#pragma once

#include "scanner/fatal.h"

enum class ExitStatus : int {
    // A normal end, also when no file matched; the usage text asked for;
    // --version.
    Normal = 0,
    // A mistake on the command line: nothing is opened.
    CommandLineError = 1,
    // An input cannot be opened.
    OpenFailed = -1,
    // The result cannot be created, written completely, or put in place.
    OutputFailed = -2,
    // The parser reports failure; with -decode, an input was no expression.
    ParseFailed = -3,
    // A fatal scanner error: an internal error, a read error, no memory.
    ScannerFatal = kScannerFatalStatus,
};
