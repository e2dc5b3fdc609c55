// The file specifications of the command line, merged per directory, and
// the walk that hands every selected file to processFile.
#pragma once

#include <string>

#include "platform/file_location.h"

struct FileSetEntry {
    std::string dir;       // directory part as typed, upper-cased by comparisons
    std::string patterns;  // ";"-joined name patterns
    bool used = false;
};

constexpr int kFileSetRows = 10;
extern FileSetEntry fileSetTable[kFileSetRows];

// Splits a specification at its last name component: the directory part
// (separators included) and the pattern.
void splitFileSpec(const std::string& spec, std::string& dir, std::string& pattern);

// Enters one specification. A specification with no name component, or one
// whose directory would need an eleventh row, is refused: false, with the
// message for the user in `message`.
bool tryAddFileSpec(const char* spec, std::string& message);
// As tryAddFileSpec, ending the run with the message and
// ExitStatus::CommandLineError on refusal.
void addFileSpec(const char* spec);
void completeFileSets();
void walkFileSets();
// `dir` is the directory as shown and `location` where the platform finds it.
int walkPatterns(const std::string& dir, const platform::FileLocation& location, const std::string& patterns);
int walkPattern(const std::string& dir, const platform::FileLocation& location, const std::string& pattern);
int walkTree(const std::string& dir, const platform::FileLocation& location, const std::string& patterns);
void clearFileSets();
