// The usage text and the version line.
#pragma once

#include "driver/exit_status.h"

// Prints the usage text on standard output and ends the process with status.
[[noreturn]] void printUsage(ExitStatus status = ExitStatus::Normal);
// The two lines that describe the scanning framework's named options.
void printNamedOptionUsage();
// Prints "txt2vb" and the version on standard output and ends the process
// with status 0.
[[noreturn]] void printVersion();
