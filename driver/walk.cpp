#include "driver/walk.h"

#include <cerrno>
#include <vector>

#include "platform/working_files.h"

std::string joinPath(const std::string& dir, const std::string& name) {
    if (!dir.empty() && dir.back() == '\\') return dir + name;
    return dir + "\\" + name;
}

bool Walk::walkFileSets(const WalkPlan& plan) {
    for (const WalkStep& step : plan.steps) {
        if (step.kind == WalkStep::Kind::Directory) {
            // A directory holds no text of its own to convert.
            visitor_.notice(Notice{PassedOver::Directory, step.name, ""});
            continue;
        }
        if (step.kind == WalkStep::Kind::Name) {
            // Reached as written, and that entry alone, also under -t.
            const platform::FileLocation location = files_.openDirectory(step.dir, true);
            if (traceDirs_) visitor_.directory(step.dir, step.name);
            if (!walkPattern(step.dir, location, step.name, true)) return false;
            continue;
        }
        // Found once as the user wrote it, and held open: below it, every
        // name is taken as the listing gave it, in the directory listed.
        const FileSetEntry& row = plan.fileSets.row(step.row);
        const platform::FileLocation location = files_.openDirectory(row.dir, false);
        const bool goOn =
            recursive_ ? walkTree(row.dir, location, row.patterns) : walkPatterns(row.dir, location, row.patterns);
        if (!goOn) return false;
    }
    return true;
}

bool Walk::walkPatterns(const std::string& dir, const platform::FileLocation& location, const std::string& patterns) {
    if (traceDirs_) visitor_.directory(dir, patterns);
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t end = patterns.find(';', start);
        if (end == std::string::npos) end = patterns.size();
        if (end > start && !walkPattern(dir, location, patterns.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

bool Walk::walkPattern(const std::string& dir, const platform::FileLocation& location, const std::string& pattern,
                       bool exactName) {
    std::vector<platform::DirectoryEntry> entries;
    platform::SystemError error;
    const std::string searchPath = joinPath(dir, pattern);
    // A directory that exists but cannot be read is reported under the
    // search path it stands for, and the walk goes on with what was read.
    const FileSystem::Listing listing = exactName ? FileSystem::Listing::ExactName : FileSystem::Listing::Matching;
    if (!files_.list(location, pattern, listing, entries, error)) {
        visitor_.notice(Notice{PassedOver::Unreadable, searchPath, platform::errorText(error.number)});
    }
    const bool wildcard = !exactName && pattern.find_first_of("*?") != std::string::npos;
    visitor_.listing();
    for (platform::DirectoryEntry& entry : entries) {
        if (entry.isDirectory) continue;
        // The tool's working files (a result under way, of this run or
        // another, a lock) are never inputs.
        if (platform::isWorkingFileName(entry.name)) continue;
        FoundEntry found;
        found.dir = dir;
        found.path = joinPath(dir, entry.name);
        found.directory = location;
        found.entry = entry;
        found.wildcard = wildcard;
        found.searchPath = searchPath;
        if (!visitor_.found(found)) return false;
    }
    return true;
}

bool Walk::walkTree(const std::string& dir, const platform::FileLocation& location, const std::string& patterns) {
    if (!walkPatterns(dir, location, patterns)) return false;
    std::vector<platform::DirectoryEntry> entries;
    platform::SystemError error;
    // The separator is always added here, even after a final '\'.
    const std::string searchPath = dir + "\\*.*";
    if (!files_.list(location, "*.*", FileSystem::Listing::Directories, entries, error)) {
        visitor_.notice(Notice{PassedOver::Unreadable, searchPath, platform::errorText(error.number)});
    }
    for (const platform::DirectoryEntry& entry : entries) {
        if (!entry.isDirectory || entry.isLink) continue;
        if (entry.name == "." || entry.name == "..") continue;
        const std::string path = dir + "\\" + entry.name;
        // Opened without following a link: one put in the directory's
        // place since the listing is never walked.
        platform::FileLocation below = entry.location;
        if (!files_.openSubdirectory(below, error)) {
            if (error.number == ELOOP) visitor_.notice(Notice{PassedOver::Link, path, ""});
            if (error.number == ELOOP || error.number == ENOTDIR || error.number == ENOENT) continue;
        }
        if (!walkTree(path, below, patterns)) return false;
    }
    return true;
}
