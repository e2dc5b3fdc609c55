// Diagnostic lines on standard error.
#pragma once

#include "driver/exit_status.h"

// The message of a standard output that cannot take the converted text.
constexpr const char* kStandardOutputError = "Erreur d'ecriture sur la sortie standard";
// The message of an output file (the append file, a result) that cannot
// be created or written whole.
constexpr const char* kOutputFileError = "Erreur de creation du fichier de sortie";

// Formats like sprintf and writes the text to standard error as it stands
// (it is never read as a format again). Any length is written whole.
// Returns the number of characters written. No newline is added.
int logLine(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The system-error printer: the text, ": " (both left out for an empty text),
// the runtime's message for the current error number, and a newline.
void printSystemError(const char* text);

// Prints through the system-error printer and ends the process.
[[noreturn]] void failWithSystemError(const char* text, ExitStatus status);
