// Process start and end.
#pragma once

namespace platform {

// Run once at start: a write beyond a file-size limit must fail with an
// error the tool can report, not kill the process.
void initProcess();

// True when initProcess found the standard descriptor `descriptor` (0, 1
// or 2) closed and gave it the null device: nothing written to it reaches
// anyone, nothing read from it was given.
bool startedClosed(int descriptor);

// Flushes standard output and ends the process with `status`.
[[noreturn]] void exitProcess(int status);

}  // namespace platform
