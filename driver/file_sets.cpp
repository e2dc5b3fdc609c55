#include "driver/file_sets.h"

#include <cerrno>
#include <vector>

#include "driver/exit_status.h"
#include "driver/file_system.h"
#include "driver/log_line.h"
#include "driver/process_file.h"
#include "driver/output_mode.h"
#include "driver/run_settings.h"
#include "driver/shown_name.h"
#include "platform/console.h"
#include "platform/descriptors.h"
#include "platform/file_ops.h"
#include "platform/file_search.h"
#include "platform/names.h"
#include "platform/working_files.h"

FileSetEntry fileSetTable[kFileSetRows];

namespace {

FileAction fileAction = processFile;

bool isSeparator(char c) { return c == ':' || c == '\\' || c == '/'; }

std::string quoted(const char* spec) { return " : \"" + shownName(spec) + "\"\n"; }

// The next free row, or null when all ten are used.
FileSetEntry* freeRow() {
    for (FileSetEntry& row : fileSetTable) {
        if (!row.used) return &row;
    }
    return nullptr;
}

// A name given exactly joins the exact row of the same spelling of its
// directory: another spelling may reach another directory.
bool tryAddExactName(const char* argument, const std::string& dir, const std::string& name, std::string& message) {
    for (FileSetEntry& row : fileSetTable) {
        if (!row.used) break;
        if (row.exact && row.dir == dir) {
            row.names.push_back(name);
            return true;
        }
    }
    FileSetEntry* row = freeRow();
    if (row == nullptr) {
        message = "Trop de r" TXT2VB_E_ACUTE "pertoires (10 au plus)" + quoted(argument);
        return false;
    }
    row->used = true;
    row->exact = true;
    row->dir = dir;
    row->names.push_back(name);
    return true;
}

// The files this run writes must never be read as inputs: its working
// files, the append file and the tool's own standard output (reading what
// is being appended would never end). The append file's identity is taken
// when a listing is walked: a file the run creates later is not in that
// listing, and one that existed keeps its identity when rewritten.
struct OwnFiles {
    std::vector<platform::FileIdentity> identities;

    OwnFiles() {
        FileSystem& files = fileSystem();
        add(files.descriptorIdentity(oOut));
        // Standard error too: a run must not convert its own messages.
        add(files.descriptorIdentity(2));
        if (settings.append) add(files.fileIdentity(files.locatePath(settings.appendName)));
    }
    void add(const platform::FileIdentity& identity) {
        if (identity.exists) identities.push_back(identity);
    }
    bool contains(const platform::FileIdentity& identity) const {
        if (outputMode().ownsFile(identity)) return true;
        for (const platform::FileIdentity& own : identities)
            if (own == identity) return true;
        return false;
    }
};

bool hasWildcard(const std::string& pattern) { return pattern.find_first_of("*?") != std::string::npos; }

std::string joinPath(const std::string& dir, const std::string& name) {
    if (!dir.empty() && dir.back() == '\\') return dir + name;
    return dir + "\\" + name;
}

void reportUnreadable(const std::string& searchPath) {
    std::string text = "!!! Lecture impossible de " + searchPath;
    printSystemError(text.c_str());
}

// Runs a search; a directory that exists but cannot be read is reported
// under the search path it stands for, and the walk goes on.
// True when anything matched.
bool search(const std::string& searchPath, const platform::FileLocation& directory, const std::string& pattern,
            std::vector<platform::DirectoryEntry>& entries, bool directoriesOnly, bool exactName = false) {
    const bool found = exactName ? fileSystem().findExactName(directory, pattern, entries)
                                 : fileSystem().findFiles(directory, pattern, entries, directoriesOnly);
    if (!found) reportUnreadable(searchPath);
    return !entries.empty();
}

// Whether a listed entry is to be converted; gives the notices of the
// entries passed over.
bool isSelectable(const platform::DirectoryEntry& entry, const std::string& dir, const std::string& path,
                  bool wildcard, const OwnFiles& ownFiles) {
    if (ownFiles.contains(entry.identity)) return false;
    return outputMode().accepts(entry, dir, path, wildcard);
}

// An entry that could not be opened with the error `error` and is passed
// over, with its notice: in replace mode a link (one put in place of a file
// since the listing is never followed); an entry a wildcard found that is
// gone since, or a link to nothing. Anything else ends the run as the
// conversion finds it.
bool isPassedOverUnopened(const std::string& path, int error, bool wildcard) {
    if (!outputMode().followsLinks() && error == ELOOP) {
        noticePassedOver(path, kLinkNotice);
        return true;
    }
    if (wildcard && error == ENOENT) {
        noticePassedOver(path, kVanishedNotice);
        return true;
    }
    return false;
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

bool tryAddArgument(const char* argument, std::string& message) {
    // Made of separators alone ("\\", "/"), it names no file whatever
    // exists: refused as a specification without a name.
    std::string dir;
    std::string pattern;
    splitFileSpec(argument, dir, pattern);
    if (pattern.empty()) return tryAddFileSpec(argument, message);
    const platform::ExactPath exact = fileSystem().examineExactPath(argument);
    if (!exact.exists) return tryAddFileSpec(argument, message);
    // A directory given exactly holds no text to convert, as a
    // specification naming a directory selects nothing.
    if (exact.isDirectory) return true;
    return tryAddExactName(argument, exact.directory, exact.name, message);
}

void addArgument(const char* argument) {
    std::string message;
    if (tryAddArgument(argument, message)) return;
    logLine("%s", message.c_str());
    exitWith(ExitStatus::CommandLineError);
}

void addFileSpec(const char* spec) {
    std::string message;
    if (tryAddFileSpec(spec, message)) return;
    logLine("%s", message.c_str());
    exitWith(ExitStatus::CommandLineError);
}

bool tryAddFileSpec(const char* spec, std::string& message) {
    std::string dir;
    std::string pattern;
    splitFileSpec(spec, dir, pattern);
    if (pattern.empty()) {
        message = "Sp" TXT2VB_E_ACUTE "cification de fichier sans nom" + quoted(spec);
        return false;
    }

    // Compared ignoring case, the row keeping the spelling it was made
    // with: that is the spelling walked and shown.
    for (FileSetEntry& row : fileSetTable) {
        if (!row.used) break;
        if (!row.exact && platform::equalIgnoringCase(dir, row.dir.c_str())) {
            row.patterns += ";" + pattern;
            return true;
        }
    }
    if (FileSetEntry* row = freeRow()) {
        row->used = true;
        row->dir = dir;
        row->patterns = pattern;
        return true;
    }
    message = "Trop de r" TXT2VB_E_ACUTE "pertoires (10 au plus)" + quoted(spec);
    return false;
}

void completeFileSets() {
    for (FileSetEntry& row : fileSetTable) {
        if (row.used && row.dir.empty()) row.dir = ".";
    }
}

Failure walkFileSets() {
    for (const FileSetEntry& row : fileSetTable) {
        if (!row.used) break;
        const std::string shownDir = shownName(row.dir);
        // Found once as the user wrote it, and held open: below it, every
        // name is taken as the listing gave it, in the directory listed. A
        // directory that cannot be opened is searched by its path, which
        // reports what fails.
        // Names given exactly are those entries alone, under -t too.
        if (row.exact) {
            platform::FileLocation exact = fileSystem().locateExactDirectory(row.dir);
            fileSystem().openDirectory(exact, true);
            const Failure failure = walkNames(shownDir, exact, row.names);
            if (failure.failed()) return failure;
            continue;
        }
        platform::FileLocation location = fileSystem().locatePath(row.dir);
        fileSystem().openDirectory(location, true);
        const Failure failure = settings.recursive ? walkTree(shownDir, location, row.patterns)
                                                   : walkPatterns(shownDir, location, row.patterns);
        if (failure.failed()) return failure;
    }
    return Failure();
}

Failure walkPatterns(const std::string& dir, const platform::FileLocation& location, const std::string& patterns) {
    if (settings.traceDirs) logLine("%s - %s\n", dir.c_str(), shownName(patterns).c_str());
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t end = patterns.find(';', start);
        if (end == std::string::npos) end = patterns.size();
        if (end > start) {
            const Failure failure = walkPattern(dir, location, patterns.substr(start, end - start));
            if (failure.failed()) return failure;
        }
        start = end + 1;
    }
    return Failure();
}

Failure walkNames(const std::string& dir, const platform::FileLocation& location,
                  const std::vector<std::string>& names) {
    if (settings.traceDirs) {
        std::string joined;
        for (const std::string& name : names) joined += (joined.empty() ? "" : ";") + name;
        logLine("%s - %s\n", dir.c_str(), shownName(joined).c_str());
    }
    for (const std::string& name : names) {
        const Failure failure = walkPattern(dir, location, name, true);
        if (failure.failed()) return failure;
    }
    return Failure();
}

Failure walkPattern(const std::string& dir, const platform::FileLocation& location, const std::string& pattern,
                    bool exactName) {
    std::vector<platform::DirectoryEntry> entries;
    if (!search(joinPath(dir, shownName(pattern)), location, pattern, entries, false, exactName)) return Failure();
    const bool wildcard = !exactName && hasWildcard(pattern);
    const OwnFiles ownFiles;
    for (platform::DirectoryEntry& entry : entries) {
        if (entry.isDirectory) continue;
        // The tool's working files (a result under way, of this run or
        // another, a lock) are never inputs.
        if (platform::isWorkingFileName(entry.name)) continue;
        const std::string path = joinPath(dir, shownName(entry.name));
        // An entry the listing described is judged before it is opened (a
        // FIFO named on the command line may wait for its writer).
        if (entry.described && !isSelectable(entry, dir, path, wildcard, ownFiles)) continue;
        SelectedFile file;
        file.path = path;
        file.directory = location;
        file.name = entry.name;
        file.location = entry.location;
        file.fromSearch = wildcard;
        OpenedInput opened = openSelected(file);
        if (opened.fd < 0 && isPassedOverUnopened(path, opened.error, wildcard)) continue;
        if (!entry.described) {
            // A plain file as the listing tells, opened without waiting:
            // the opened file says the rest, or, when it could not be
            // opened, a look at its name does.
            if (opened.fd >= 0) {
                platform::completeEntry(entry, opened.facts);
            } else if (!fileSystem().describeEntry(entry)) {
                if (errno == ENOENT) {
                    noticePassedOver(path, kVanishedNotice);
                } else {
                    reportUnreadable(joinPath(dir, shownName(pattern)));
                }
                continue;
            }
            if (!isSelectable(entry, dir, path, wildcard, ownFiles)) {
                closeSelected(opened);
                continue;
            }
        }
        settings.currentSize = entry.size;
        const Failure failure = fileAction(file, opened);
        if (failure.failed()) return failure;
    }
    return Failure();
}

Failure walkTree(const std::string& dir, const platform::FileLocation& location, const std::string& patterns) {
    const Failure failure = walkPatterns(dir, location, patterns);
    if (failure.failed()) return failure;
    std::vector<platform::DirectoryEntry> entries;
    // The separator is always added here, even after a final '\'.
    // Only directories matter here.
    if (!search(dir + "\\*.*", location, "*.*", entries, true)) return Failure();
    for (const platform::DirectoryEntry& entry : entries) {
        if (!entry.isDirectory || entry.isLink) continue;
        if (entry.name == "." || entry.name == "..") continue;
        const std::string path = dir + "\\" + shownName(entry.name);
        // Opened without following a link: one put in the directory's
        // place since the listing is never walked.
        platform::FileLocation location = entry.location;
        if (!fileSystem().openDirectory(location, false)) {
            if (errno == ELOOP) noticePassedOver(path, kLinkNotice);
            if (errno == ELOOP || errno == ENOTDIR || errno == ENOENT) continue;
        }
        const Failure below = walkTree(path, location, patterns);
        if (below.failed()) return below;
    }
    return Failure();
}

FileAction useFileAction(FileAction action) {
    FileAction previous = fileAction;
    fileAction = action != nullptr ? action : processFile;
    return previous;
}

void clearFileSets() {
    for (FileSetEntry& row : fileSetTable) row = FileSetEntry();
}
