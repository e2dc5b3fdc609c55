// Converting one selected file, and putting the result in place.
#pragma once

#include <cstdint>
#include <string>

// Converts the file at `path` (as the walk built it) to the console, the
// append file or, in replace mode, in place of the input. Failures end the
// process with their fixed status.
void processFile(const char* path);

// Ends a replace-mode run: removes the move report and lets another run in
// the same directory go on.
void endReplaceRun();

// The size of the first entry a search for `name` finds, or 0.
std::int64_t fileSizeOf(const std::string& name);
