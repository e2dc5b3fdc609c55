// The tool run over a file system held in memory, as runMain runs it over
// the machine's: what it wrote to standard output and standard error, and
// its status.
#pragma once

#include <string>
#include <vector>

#include "support/memory_file_system.h"

struct MemoryRun {
    std::string console;   // standard output
    std::string messages;  // standard error
    int status = 0;
};

// Runs the tool with `arguments` (after the program's name, "txt2vb").
// With `consoleFails` every write to standard output fails (ENOSPC).
MemoryRun runInMemory(MemoryFileSystem& files, const std::vector<std::string>& arguments, bool consoleFails = false);
