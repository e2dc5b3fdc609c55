// The file every result of a run is appended to (-a), opened anew for each
// input: what one input appended is cut back when its conversion fails, or
// when the process ends before it is done.
#pragma once

#include <string>

#include "platform/byte_channel.h"
#include "platform/file_identity.h"
#include "platform/system_error.h"

namespace platform {

class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile() { cutBack(); }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens (creating it if missing) the file a path as the tool writes it
    // names, for appending; an existing file's one final 0x1A is removed
    // first, as a text-mode append does.
    bool open(const std::string& path, SystemError& error);
    ByteSink& sink() { return sink_; }
    // Closes the file, keeping what was appended; false (error set) when
    // what was written may not have reached it.
    bool close(SystemError& error);
    // Cuts the file back to what it held when opened, and closes it.
    void cutBack();

private:
    std::string path_;
    DescriptorSink sink_;
    long long start_ = -1;
};

}  // namespace platform
