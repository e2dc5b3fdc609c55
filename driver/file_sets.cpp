#include "driver/file_sets.h"

#include <cerrno>

#include "driver/file_system.h"
#include "driver/shown_name.h"
#include "platform/console.h"
#include "platform/names.h"

namespace {

bool isSeparator(char c) { return c == ':' || c == '\\' || c == '/'; }

bool hasWildcard(const std::string& pattern) { return pattern.find_first_of("*?") != std::string::npos; }

// Whether a specification without wildcards finds an entry the way the
// walk will look for it: its directory, then the name in it.
// The separators after the name ("sub\\") name what the name names.
bool findsEntry(FileSystem& files, const std::string& dir, const std::string& pattern) {
    const platform::FileLocation directory = files.openDirectory(dir.empty() ? "." : dir, false);
    platform::FileLocation found;
    return files.findName(directory, pattern.substr(0, pattern.find_last_not_of(":\\/") + 1), found);
}

}  // namespace

void splitFileSpec(const std::string& spec, std::string& dir, std::string& pattern) {
    std::size_t end = spec.size();
    while (end > 0 && isSeparator(spec[end - 1])) --end;
    std::size_t start = end;
    while (start > 0 && !isSeparator(spec[start - 1])) --start;
    dir = spec.substr(0, start);
    pattern = spec.substr(start);
    if (start == end) pattern.clear();  // no name component at all
}

int FileSetTable::addFileSpec(const std::string& spec) {
    std::string dir;
    std::string pattern;
    splitFileSpec(spec, dir, pattern);
    // Compared ignoring case, the row keeping the spelling it was made
    // with: that is the spelling walked and shown.
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (platform::equalIgnoringCase(dir, rows_[i].dir.c_str())) {
            rows_[i].patterns += ";" + pattern;
            return static_cast<int>(i);
        }
    }
    if (rows_.size() == kFileSetRows) return -1;
    rows_.push_back(FileSetEntry{dir, pattern});
    return static_cast<int>(rows_.size() - 1);
}

void FileSetTable::completeFileSets() {
    for (FileSetEntry& row : rows_) {
        if (row.dir.empty()) row.dir = ".";
    }
}

Failure planWalk(const Options& options, FileSystem& files, WalkPlan& plan) {
    plan = WalkPlan();
    bool rowsSeen[kFileSetRows] = {};
    for (const std::string& argument : options.files) {
        if (isStandardInputArgument(argument)) {
            if (plan.standardInput == WalkPlan::StandardInput::None) {
                plan.standardInput =
                    plan.steps.empty() ? WalkPlan::StandardInput::First : WalkPlan::StandardInput::Last;
            }
            continue;
        }
        // An argument that names an entry exactly as written is that entry,
        // whatever ';', '\', ':' or wildcards it holds.
        const platform::ExactPath exact = files.examineArgument(argument);
        if (exact.exists) {
            WalkStep step;
            step.kind = exact.isDirectory ? WalkStep::Kind::Directory : WalkStep::Kind::Name;
            // A directory is shown as it was given.
            step.dir = exact.isDirectory ? "" : exact.directory.empty() ? "." : exact.directory;
            step.name = exact.isDirectory ? argument : exact.name;
            plan.steps.push_back(step);
            continue;
        }
        std::string dir;
        std::string pattern;
        splitFileSpec(argument, dir, pattern);
        if (!hasWildcard(pattern) && !options.settings.recursive && !findsEntry(files, dir, pattern)) {
            return Failure{ExitStatus::OpenFailed, shownName(argument), ENOENT};
        }
        const int row = plan.fileSets.addFileSpec(argument);
        if (row < 0) {
            return textFailure("Trop de r" TXT2VB_E_ACUTE "pertoires (10 au plus) : \"" + shownName(argument) + "\"",
                               ExitStatus::CommandLineError);
        }
        if (!rowsSeen[row]) {
            rowsSeen[row] = true;
            WalkStep step;
            step.row = row;
            plan.steps.push_back(step);
        }
    }
    plan.fileSets.completeFileSets();
    return Failure();
}
