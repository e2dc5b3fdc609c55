// Reading the arguments of the command line into the run settings, the
// named options and the file-set table.
#pragma once

#include <string>

// Where the reading of the arguments stands.
struct ArgumentReader {
    bool optionsEnded = false;  // set by "--": every later argument is a file argument
};

// Reads one argument, in command-line order. The first "--" ends the
// options; before it, an argument that begins with an option prefix is an
// option (tryClassifyOption); every other argument is a file argument
// (tryAddArgument), also one after "--" that begins with '-' or '/'.
// False, with the message for the user, when the argument is refused.
bool tryReadArgument(const char* argument, ArgumentReader& reader, std::string& message);
// As tryReadArgument, ending the run with the message and
// ExitStatus::CommandLineError on refusal.
void readArgument(const char* argument, ArgumentReader& reader);

// Classifies one option argument (its first character is the prefix) and
// applies it to the run settings or stores it as a named option. "-?",
// "--help" and "--version" print their text and end the process. An -e
// value that could lead the new name out of its input's directory is
// refused: false, with the message, and nothing is set.
bool tryClassifyOption(const char* argument, std::string& message);
// As tryClassifyOption, ending the run with the message and
// ExitStatus::CommandLineError on refusal.
void classifyOption(const char* argument);

// True for an -e value that keeps the new name one name of the input's
// directory: no '/', '\' or ':' (a separator, a drive, a Windows stream),
// and not made of dots alone (a name such as ".." would be a directory).
bool isSafeExtension(const std::string& value);
