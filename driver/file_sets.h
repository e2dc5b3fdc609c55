// The file specifications of the command line, merged per directory, and
// the walk that hands every selected file to processFile.
#pragma once

#include <string>
#include <vector>

#include "driver/failure.h"
#include "driver/process_file.h"
#include "platform/file_location.h"

// A row holds either specifications (`patterns`) or names given exactly
// (`names`, with `exact` set): a name given exactly is reached as written,
// a specification's directory the way the tool finds names.
struct FileSetEntry {
    std::string dir;       // directory part as the first argument of the row spelled it
    std::string patterns;  // ";"-joined name patterns
    std::vector<std::string> names;  // names given exactly, each one entry of `dir`
    bool exact = false;
    bool used = false;
};

constexpr int kFileSetRows = 10;
extern FileSetEntry fileSetTable[kFileSetRows];

// Splits a specification at its last name component: the directory part
// (separators included) and the pattern.
void splitFileSpec(const std::string& spec, std::string& dir, std::string& pattern);

// Enters one file argument. One made of separators alone is refused as a
// specification with no name. One that names an existing entry exactly as
// written (relative to the working directory) is that entry: a directory
// selects nothing, anything else becomes a name of an exact row, merged
// with the other names given exactly in the same spelling of the same
// directory. Any other argument is a specification (tryAddFileSpec).
// False, with the message, when it is refused.
bool tryAddArgument(const char* argument, std::string& message);
// As tryAddArgument, ending the run with the message and
// ExitStatus::CommandLineError on refusal.
void addArgument(const char* argument);

// Enters one specification. Specifications whose directory parts are equal
// ignoring ASCII case share a row, which keeps the first spelling given. A specification with no name component, or one
// whose directory would need an eleventh row, is refused: false, with the
// message for the user in `message`.
bool tryAddFileSpec(const char* spec, std::string& message);
// As tryAddFileSpec, ending the run with the message and
// ExitStatus::CommandLineError on refusal.
void addFileSpec(const char* spec);
void completeFileSets();
// The walk stops at the first failure that ends the run and hands it back;
// notices of entries passed over are printed as they come.
Failure walkFileSets();
// `dir` is the directory as shown and `location` where the platform finds it.
Failure walkPatterns(const std::string& dir, const platform::FileLocation& location, const std::string& patterns);
// With `exactName` the pattern is one name taken exactly as it stands.
Failure walkPattern(const std::string& dir, const platform::FileLocation& location, const std::string& pattern,
                    bool exactName = false);
// The names of an exact row, each walked as one name of that directory.
Failure walkNames(const std::string& dir, const platform::FileLocation& location,
                  const std::vector<std::string>& names);
Failure walkTree(const std::string& dir, const platform::FileLocation& location, const std::string& patterns);
void clearFileSets();

// What the walk does with each file it selects: processFile, unless another
// action was put in its place. useFileAction puts `action` in place (null:
// processFile again) and returns the one it replaces.
using FileAction = Failure (*)(const SelectedFile& file, OpenedInput& opened);
FileAction useFileAction(FileAction action);
