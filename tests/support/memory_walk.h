// A walk over a file system held in memory, as a run makes it: the file
// specifications entered, each selected file handed to processFile (or to
// another action), and what the run printed and how it ended.
#pragma once

#include <string>
#include <vector>

#include "driver/failure.h"
#include "driver/file_sets.h"
#include "support/memory_file_system.h"

struct WalkOutcome {
    std::string printed;  // standard error
    Failure failure;      // the failure that ended the run, if any
};

// Walks `arguments` over `files` under the settings as they stand (the
// output mode they choose): each argument entered as on the command line,
// or with `specifications` as a file specification alone. Afterwards the
// file table, the settings and the output mode are as they were at the
// start of a run.
WalkOutcome walkInMemory(MemoryFileSystem& files, const std::vector<std::string>& arguments,
                         bool specifications = true, FileAction action = nullptr);
