// One input of a run, from the entry the walk found to its outcome:
// judged, opened, converted (or decoded) to where its mode puts results,
// then committed or given up.
#pragma once

#include <memory>

#include "driver/failure.h"
#include "driver/output_mode.h"
#include "driver/walk.h"

class Run;

// Judges an entry the walk found and, when it is taken, opens and
// converts it.
Outcome processFound(Run& run, FoundEntry& found);

// Converts `input` (null when it could not be opened: `openError` says
// why) as its mode has it. Nothing of a result given up stays.
Outcome processFile(Run& run, const SelectedFile& file, std::unique_ptr<Input> input,
                    const platform::SystemError& openError);

// Converts standard input, named "-". Standard input that is one of the
// run's own outputs is passed over.
Outcome processStandardInput(Run& run);
