// The walk over the plan: each row's directory searched with its patterns
// (and, with -t, every subdirectory below it), each name given exactly
// looked up in its directory. The walk decides nothing about what it
// finds: it hands every entry, notice and directory to its visitor, which
// converts, passes over or stops the walk.
#pragma once

#include <string>

#include "driver/failure.h"
#include "driver/file_sets.h"
#include "driver/file_system.h"

// An entry a search found.
struct FoundEntry {
    std::string dir;   // the directory as the walk shows it
    std::string path;  // the directory, '\' and the name
    platform::FileLocation directory;
    platform::DirectoryEntry entry;
    bool wildcard = false;   // found by a wildcard, not named
    std::string searchPath;  // what a failure to look at it is reported under
};

class WalkVisitor {
public:
    virtual ~WalkVisitor() = default;
    // A listing was taken; its entries follow.
    virtual void listing() {}
    // -d: a directory about to be searched, with its patterns.
    virtual void directory(const std::string& dir, const std::string& patterns) = 0;
    // Something passed over: a directory given exactly, a subdirectory
    // turned into a link, a listing that could not be read.
    virtual void notice(const Notice& notice) = 0;
    // An entry found, neither a directory nor a working file of the tool;
    // false ends the walk.
    virtual bool found(FoundEntry& found) = 0;
};

class Walk {
public:
    Walk(FileSystem& files, WalkVisitor& visitor, bool recursive, bool traceDirs)
        : files_(files), visitor_(visitor), recursive_(recursive), traceDirs_(traceDirs) {}

    // Every step of the plan in order; false when the visitor ended it.
    bool walkFileSets(const WalkPlan& plan);
    bool walkPatterns(const std::string& dir, const platform::FileLocation& location, const std::string& patterns);
    // With `exactName` the pattern is one name taken exactly as it stands.
    bool walkPattern(const std::string& dir, const platform::FileLocation& location, const std::string& pattern,
                     bool exactName = false);
    bool walkTree(const std::string& dir, const platform::FileLocation& location, const std::string& patterns);

private:
    FileSystem& files_;
    WalkVisitor& visitor_;
    bool recursive_;
    bool traceDirs_;
};

// The path of `name` in `dir` as the walk shows it: joined with '\'
// unless the directory ends with one.
std::string joinPath(const std::string& dir, const std::string& name);
