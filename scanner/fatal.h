// Fatal scanner errors.
#pragma once

// The exit status of a fatal error in the scanner or its frame.
constexpr int kScannerFatalStatus = 2;

// Writes the message and a newline to standard error and ends the process
// with kScannerFatalStatus; converted text still buffered is flushed first.
[[noreturn]] void yy_fatal(const char* message);
