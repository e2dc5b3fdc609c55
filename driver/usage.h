// The usage text.
#pragma once

// Prints the usage text on standard output and ends the process with status.
[[noreturn]] void printUsage(int status = 0);
// The two lines that describe the scanning framework's named options.
void printNamedOptionUsage();
