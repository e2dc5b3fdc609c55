// Converting one selected file, and putting the result in place.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_location.h"

// One file the walk selected.
struct SelectedFile {
    std::string path;               // as shown: dir, '\' and the name
    platform::FileLocation directory;  // where it was found
    std::string name;               // one name in that directory, whatever it holds
    bool fromSearch = false;        // matched by a wildcard: only a plain file is read
};

// Converts the file to the console, the append file or, in replace mode,
// in place of the input. Failures end the process with their fixed status.
void processFile(const SelectedFile& file);
