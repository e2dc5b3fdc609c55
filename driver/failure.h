// A failure that ends the run, as a value: its exit status and its message,
// carried back to the one place that prints it and ends the process.
#pragma once

#include <cerrno>
#include <string>

#include "driver/exit_status.h"
#include "driver/log_line.h"

struct Failure {
    ExitStatus status = ExitStatus::Normal;  // Normal: nothing failed
    std::string text;                        // shown before the system's message
    int error = 0;                           // errno of the call that failed

    bool failed() const { return status != ExitStatus::Normal; }
};

// The failure of the call that just set errno.
inline Failure systemFailure(std::string text, ExitStatus status) { return Failure{status, std::move(text), errno}; }

// Prints the failure through the system-error printer and ends the run.
[[noreturn]] inline void endRun(const Failure& failure) {
    errno = failure.error;
    failWithSystemError(failure.text.c_str(), failure.status);
}
