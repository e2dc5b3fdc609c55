// Converting one selected file, and putting the result in place.
#pragma once

#include <cstdint>
#include <string>

#include "driver/failure.h"
#include "platform/file_location.h"
#include "platform/working_files.h"

// One file the walk selected.
struct SelectedFile {
    std::string path;               // as shown: dir, '\' and the name
    platform::FileLocation directory;  // where it was found
    std::string name;               // one name in that directory, whatever it holds
    platform::FileLocation location;   // that name in that directory
    bool fromSearch = false;        // matched by a wildcard: only a plain file is read
};

// A selected file opened for reading, with what its descriptor tells.
struct OpenedInput {
    int fd = -1;                // -1 when the open (or the look at it) failed
    int error = 0;              // errno of that failure
    platform::FileFacts facts;
};

// Opens the file: without waiting when it is to be replaced or a wildcard
// matched it, so that anything but a plain file can be refused unread.
OpenedInput openSelected(const SelectedFile& file);
// Closes an input that is passed over.
void closeSelected(OpenedInput& opened);

// Converts the opened file to the console, the append file or, in replace
// mode, in place of the input, and closes it. An input that could not be
// opened, and any other failure that ends the run, comes back as a value
// with its fixed status; nothing of a result given up stays.
Failure processFile(const SelectedFile& file, OpenedInput& opened);
