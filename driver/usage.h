// The usage text and the version line.
#pragma once

// Prints the usage text on standard output and ends the process with status.
[[noreturn]] void printUsage(int status = 0);
// The two lines that describe the scanning framework's named options.
void printNamedOptionUsage();
// Prints "txt2vb" and the version on standard output and ends the process
// with status 0.
[[noreturn]] void printVersion();
