#include "driver/file_sets.h"

#include <cerrno>
#include <vector>

#include "driver/exit_status.h"
#include "driver/log_line.h"
#include "driver/process_file.h"
#include "driver/output_mode.h"
#include "driver/run_settings.h"
#include "platform/console.h"
#include "platform/descriptors.h"
#include "platform/file_ops.h"
#include "platform/file_search.h"
#include "platform/working_files.h"

FileSetEntry fileSetTable[kFileSetRows];

namespace {

bool isSeparator(char c) { return c == ':' || c == '\\' || c == '/'; }

void upperCaseInPlace(std::string& text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
}

std::string quoted(const char* spec) { return std::string(" : \"") + spec + "\"\n"; }

// The files this run writes must never be read as inputs: its working
// files, the append file and the tool's own standard output (reading what
// is being appended would never end). The append file's identity is taken
// when a listing is walked: a file the run creates later is not in that
// listing, and one that existed keeps its identity when rewritten.
struct OwnFiles {
    std::vector<platform::FileIdentity> identities;

    OwnFiles() {
        add(platform::descriptorIdentity(oOut));
        if (settings.append) add(platform::fileIdentity(platform::locatePath(settings.appendName)));
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
            std::vector<platform::DirectoryEntry>& entries, bool directoriesOnly) {
    if (!platform::findFiles(directory, pattern, entries, directoriesOnly)) reportUnreadable(searchPath);
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

    for (FileSetEntry& row : fileSetTable) {
        if (!row.used) break;
        bool match;
        if (dir.empty() && row.dir.empty()) {
            match = true;
        } else {
            upperCaseInPlace(dir);
            upperCaseInPlace(row.dir);
            match = dir == row.dir;
        }
        if (match) {
            row.patterns += ";" + pattern;
            return true;
        }
    }
    for (FileSetEntry& row : fileSetTable) {
        if (row.used) continue;
        row.used = true;
        row.dir = dir;
        row.patterns = pattern;
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

void walkFileSets() {
    for (const FileSetEntry& row : fileSetTable) {
        if (!row.used) break;
        // Found once as the user wrote it, and held open: below it, every
        // name is taken as the listing gave it, in the directory listed. A
        // directory that cannot be opened is searched by its path, which
        // reports what fails.
        platform::FileLocation location = platform::locatePath(row.dir);
        platform::openDirectory(location, true);
        if (settings.recursive) {
            walkTree(row.dir, location, row.patterns);
        } else {
            walkPatterns(row.dir, location, row.patterns);
        }
    }
}

int walkPatterns(const std::string& dir, const platform::FileLocation& location, const std::string& patterns) {
    if (settings.traceDirs) logLine("%s - %s\n", dir.c_str(), patterns.c_str());
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t end = patterns.find(';', start);
        if (end == std::string::npos) end = patterns.size();
        if (end > start) walkPattern(dir, location, patterns.substr(start, end - start));
        start = end + 1;
    }
    return 1;
}

int walkPattern(const std::string& dir, const platform::FileLocation& location, const std::string& pattern) {
    std::vector<platform::DirectoryEntry> entries;
    if (!search(joinPath(dir, pattern), location, pattern, entries, false)) return 0;
    const bool wildcard = hasWildcard(pattern);
    const OwnFiles ownFiles;
    for (platform::DirectoryEntry& entry : entries) {
        if (entry.isDirectory) continue;
        // The tool's working files (a result under way, of this run or
        // another, a lock) are never inputs.
        if (platform::isWorkingFileName(entry.name)) continue;
        const std::string path = joinPath(dir, entry.name);
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
            } else if (!platform::describeEntry(entry)) {
                if (errno == ENOENT) {
                    noticePassedOver(path, kVanishedNotice);
                } else {
                    reportUnreadable(joinPath(dir, pattern));
                }
                continue;
            }
            if (!isSelectable(entry, dir, path, wildcard, ownFiles)) {
                closeSelected(opened);
                continue;
            }
        }
        settings.currentSize = entry.size;
        totals.bytesIn += entry.size;
        processFile(file, opened);
    }
    return 1;
}

int walkTree(const std::string& dir, const platform::FileLocation& location, const std::string& patterns) {
    walkPatterns(dir, location, patterns);
    std::vector<platform::DirectoryEntry> entries;
    // The separator is always added here, even after a final '\'.
    // Only directories matter here.
    if (!search(dir + "\\*.*", location, "*.*", entries, true)) return 0;
    for (const platform::DirectoryEntry& entry : entries) {
        if (!entry.isDirectory || entry.isLink) continue;
        if (entry.name == "." || entry.name == "..") continue;
        const std::string path = dir + "\\" + entry.name;
        // Opened without following a link: one put in the directory's
        // place since the listing is never walked.
        platform::FileLocation location = entry.location;
        if (!platform::openDirectory(location, false)) {
            if (errno == ELOOP) noticePassedOver(path, kLinkNotice);
            if (errno == ELOOP || errno == ENOTDIR || errno == ENOENT) continue;
        }
        walkTree(path, location, patterns);
    }
    return 1;
}

void clearFileSets() {
    for (FileSetEntry& row : fileSetTable) row = FileSetEntry();
}
