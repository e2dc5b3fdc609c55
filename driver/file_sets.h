// The file specifications of the command line, merged per directory into
// the file-set table, and the plan of the walk: every file argument in
// command-line order, each a row of the table or one name given exactly.
#pragma once

#include <string>
#include <vector>

#include "driver/failure.h"
#include "driver/options.h"

class FileSystem;

// One row: a directory part and its ";"-joined name patterns.
struct FileSetEntry {
    std::string dir;       // as the first specification of the row spelled it
    std::string patterns;  // ";"-joined, in command-line order
};

constexpr int kFileSetRows = 10;

// The specifications with wildcards (and those not found as written),
// merged per directory: at most ten directories.
class FileSetTable {
public:
    // Enters one specification into the row of its directory part (equal
    // ignoring ASCII case; the row keeps the first spelling) or a new row.
    // The row's index, or -1 when it would need an eleventh.
    int addFileSpec(const std::string& spec);
    // A row whose directory part is empty gets ".".
    void completeFileSets();
    int size() const { return static_cast<int>(rows_.size()); }
    const FileSetEntry& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }

private:
    std::vector<FileSetEntry> rows_;
};

// Splits a specification at its last name component: the directory part
// (separators included) and the pattern, empty when there is no name
// component at all.
void splitFileSpec(const std::string& spec, std::string& dir, std::string& pattern);

// What the walk does, in command-line order.
struct WalkStep {
    enum class Kind { Row, Name, Directory };
    Kind kind = Kind::Row;
    int row = -1;      // Row: its index in the table, walked where it first appeared
    std::string dir;   // Name: the directory part as written ("." when none)
    std::string name;  // Name: the last component; Directory: the argument
};

struct WalkPlan {
    FileSetTable fileSets;
    std::vector<WalkStep> steps;
    // Standard input, converted once: before the other inputs when it came
    // first on the command line, else after them.
    enum class StandardInput { None, First, Last };
    StandardInput standardInput = StandardInput::None;
};

// Decides what each file argument is, looking at the file system: one
// that names an existing entry exactly as written is that entry (a
// directory then holds nothing to convert), any other is a specification.
// Refused before any input is opened: a specification whose directory
// would need an eleventh row (status 1), and, without -t, a name without
// wildcards that names nothing (status -1, with the system's reason).
Failure planWalk(const Options& options, FileSystem& files, WalkPlan& plan);
