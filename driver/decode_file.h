// -decode: each selected file holds an expression, and the text it was
// made from is written instead.
#pragma once

#include <string>

#include "driver/exit_status.h"
#include "driver/process_file.h"
#include "parser/convert_input.h"

// Whether -decode was given (the named option "decode", in any case).
bool decodeRequested();

// Reads and decodes the opened input whole, before any result is made; a
// leading byte-order mark is kept in front of the text or dropped as
// `mark` says (as the output mode takes it). False when it is not an
// expression: the input is closed, the notice "!!! Parsing impossible de
// PATH (ligne L, colonne C)" given (also under -s), the failure counted,
// and nothing written anywhere.
bool decodeSelected(const SelectedFile& file, OpenedInput& opened, ByteOrderMark mark, std::string& decoded);

// The run's status: ExitStatus::ParseFailed once any input failed to
// decode, else ExitStatus::Normal.
ExitStatus runEndStatus();
