// The tool's run from its command line to its exit status.
#pragma once

#include "driver/file_system.h"
#include "platform/byte_channel.h"
#include "platform/text_output.h"

// Reads the options, runs the conversion they ask for over `files`, prints
// the summary or the failure that ended the run to `messages`, and returns
// the exit status. `console` is standard output; `consoleClosed` says the
// tool was started without one.
int runTool(int argc, const char* const* argv, FileSystem& files, platform::ByteSink& messages,
            platform::TextOutputStream& console, bool consoleClosed);

// The run of the machine's tool. The process ends when it returns, and
// nowhere else but in the scanner's fatal errors.
int runMain(int argc, char** argv);
