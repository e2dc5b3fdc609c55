// The command line, read into one value before anything is opened: the run
// settings, the output form, the named options and the file arguments, or
// the refusal of a mistake. Reading it does no I/O and never ends the
// process.
#pragma once

#include <string>
#include <vector>

#include "driver/failure.h"
#include "driver/run_settings.h"
#include "scanner/output_form.h"

struct Options {
    // What the command line asks for.
    enum class Request { Convert, Usage, Version };
    Request request = Request::Convert;
    std::string progPath;
    RunSettings settings;
    OutputForm form;
    // The named options as typed, without their dash, in order.
    std::vector<std::string> namedOptions;
    // The file arguments in command-line order; "-" is standard input.
    std::vector<std::string> files;
};

struct OptionsRead {
    Options options;
    // failed(): the command line is refused (status 1), with its text.
    Failure refusal;
    // The refusal shows the usage text too.
    bool withUsage = false;
};

// Reads the arguments: options before the first "--" (an argument that
// begins with an option prefix, '-' or, on Windows, '/'), a lone "-" for
// standard input, every other argument a file argument. "-?", "--help" and
// "--version" end the reading where they stand. An option nothing reads,
// an empty or unsafe value, a bad value of a named option, -a with -r, "-"
// under -r and a file argument with no name are refused.
OptionsRead readOptions(int argc, const char* const* argv);

// True for an -e value that keeps the new name one name of the input's
// directory: no '/', '\' or ':' (a separator, a drive, a Windows stream),
// and not made of dots alone (a name such as ".." would be a directory).
bool isSafeExtension(const std::string& value);

// True for the argument that names standard input: "-" alone.
bool isStandardInputArgument(const std::string& argument);
