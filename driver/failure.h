// How a run, or one input, ends when it does not end well, as values: a
// failure that ends the run, and the outcome of each input.
#pragma once

#include <cstdint>
#include <string>

#include "driver/exit_status.h"
#include "platform/system_error.h"

// A failure that ends the run: its exit status and its message, carried
// back to runMain, which prints it and ends the process.
struct Failure {
    ExitStatus status = ExitStatus::Normal;  // Normal: nothing failed
    std::string text;                        // shown before the system's reason
    int error = 0;                           // the system's error number, 0: none
    bool showsSystemError = true;            // false: the text says it all

    bool failed() const { return status != ExitStatus::Normal; }
};

// The failure of a system call, shown as `text` and the call's reason.
inline Failure systemFailure(std::string text, ExitStatus status, const platform::SystemError& error) {
    return Failure{status, std::move(text), error.number};
}

// A failure the text alone describes.
inline Failure textFailure(std::string text, ExitStatus status) {
    Failure failure{status, std::move(text), 0};
    failure.showsSystemError = false;
    return failure;
}

// Why an input, or an entry found for one, was passed over; the run goes on.
enum class PassedOver {
    None,
    OwnFile,        // one of the run's own files, or a result it made: no notice
    Link,           // "lien symbolique"
    Vanished,       // "fichier disparu"
    Special,        // "fichier spécial"
    Binary,         // "fichier binaire"
    OwnOutput,      // "fichier de sortie"
    Directory,      // "répertoire"
    ReadOnly,       // "(ReadOnly)", shown after the directory and the name
    NameTaken,      // "(NEW existe)": the new name of -e finds another file
    NotRemoved,     // "Suppression impossible": the input stays, its result withdrawn
    NotExpression,  // "(ligne L, colonne C)": -decode of an input that is no expression
    Unreadable,     // "Lecture impossible": a listing or an entry could not be read
};

// Something the run says about one input or entry and goes on: why it was
// passed over, as shown (`path`), with what the notice adds (`detail`: the
// new name, the place, the system's reason).
struct Notice {
    PassedOver why = PassedOver::None;
    std::string path;
    std::string detail;
};

// How one input ended: converted, passed over (its notice), or a failure
// that ends the run.
struct Outcome {
    enum class End { Converted, PassedOver, Failed };
    End end = End::Converted;
    Notice notice;    // PassedOver; also a Converted input may give one
    Failure failure;  // Failed
    // Converted: the sizes the summary compares.
    std::int64_t bytesIn = 0;
    std::int64_t bytesOut = 0;

    static Outcome converted(std::int64_t in, std::int64_t out) {
        Outcome outcome;
        outcome.bytesIn = in;
        outcome.bytesOut = out;
        return outcome;
    }
    static Outcome passedOver(Notice notice) {
        Outcome outcome;
        outcome.end = End::PassedOver;
        outcome.notice = std::move(notice);
        return outcome;
    }
    static Outcome passedOver(PassedOver why, std::string path, std::string detail = std::string()) {
        return passedOver(Notice{why, std::move(path), std::move(detail)});
    }
    static Outcome failed(Failure failure) {
        Outcome outcome;
        outcome.end = End::Failed;
        outcome.failure = std::move(failure);
        return outcome;
    }
};
