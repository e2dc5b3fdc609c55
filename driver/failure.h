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
    bool showsSystemError = true;            // false: the text says it all

    bool failed() const { return status != ExitStatus::Normal; }
};

// The failure of the call that just set errno.
inline Failure systemFailure(std::string text, ExitStatus status) { return Failure{status, std::move(text), errno}; }

// A failure the text alone describes.
inline Failure textFailure(std::string text, ExitStatus status) {
    Failure failure{status, std::move(text), 0};
    failure.showsSystemError = false;
    return failure;
}

// Prints the failure (through the system-error printer when it comes from
// a call that failed) and ends the run.
[[noreturn]] inline void endRun(const Failure& failure) {
    if (!failure.showsSystemError) {
        logLine("%s\n", failure.text.c_str());
        exitWith(failure.status);
    }
    errno = failure.error;
    failWithSystemError(failure.text.c_str(), failure.status);
}
