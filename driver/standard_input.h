// "-" as a file specification: standard input converted like a file.
#pragma once

#include "driver/failure.h"

// True for the argument that names standard input: "-" alone.
bool isStandardInputArgument(const char* argument);

// Notes that standard input is to be converted; `afterFiles` is true when a
// file specification came before it on the command line. Given several
// times, it is converted once, at its first place.
void selectStandardInput(bool afterFiles);

// Under -r, standard input cannot be replaced: ends the run with a message
// and ExitStatus::CommandLineError, before anything is opened.
void refuseStandardInputUnderReplace();

// Converts standard input when it was selected for this place: before the
// selected files (`afterFiles` false) or after them. Its progress line
// names it "-". Standard input that is the tool's own output (the append
// file, or standard output) is passed over with a notice.
Failure convertStandardInput(bool afterFiles);
