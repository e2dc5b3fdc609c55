#include "platform/file_search.h"

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <utility>

#include "platform/file_location.h"
#include "platform/posix/open_directory.h"
#include "platform/posix/stat_identity.h"

namespace platform {

enum class Described { Ok, Gone, Failed };

// Fills in what stat tells about one entry: Gone when the entry has gone
// since the listing was read, Failed when it cannot be examined (errno set).
static Described describe(DirectoryEntry& entry) {
    const int base = baseOf(entry.location);
    const char* path = pathOf(entry.location);
    entry.isDirectory = entry.isReadOnly = entry.isLink = entry.isRegular = false;
    entry.size = 0;
    entry.identity = FileIdentity();
    struct stat info;
    if (::fstatat(base, path, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? Described::Gone : Described::Failed;
    }
    entry.isLink = S_ISLNK(info.st_mode);
    entry.described = true;
    // The link's target decides the rest; a dangling link stays a plain,
    // empty, writable entry that is no regular file.
    if (entry.isLink && ::fstatat(base, path, &info, 0) != 0) return Described::Ok;
    entry.isDirectory = S_ISDIR(info.st_mode);
    entry.isRegular = S_ISREG(info.st_mode);
    entry.isReadOnly = (info.st_mode & S_IWUSR) == 0;
    entry.size = static_cast<std::int64_t>(info.st_size);
    entry.identity = identityOf(info);
    return Described::Ok;
}

bool describeEntry(DirectoryEntry& entry) { return describe(entry) == Described::Ok; }

// What the listing's type tells about an entry, without a stat: a plain
// file or a directory (never a link). Any other type, or none, needs
// describe(). A path the system would refuse (beyond its limit) fails as
// the stat would have.
static Described fromListing(DirectoryEntry& entry, unsigned char type) {
    if (entry.location.native.size() >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return Described::Failed;
    }
    entry.isDirectory = type == DT_DIR;
    entry.isRegular = type == DT_REG;
    return Described::Ok;
}

// Plain files and directories are known from the listing itself; other
// entries (links, devices, a file system that does not tell) are looked at
// with a stat, which brings their identity.
bool findFiles(const FileLocation& directory, const std::string& pattern, std::vector<DirectoryEntry>& entries,
               bool directoriesOnly) {
    entries.clear();
    // A name without wildcards selects at most that one entry: looking it
    // up spares reading the whole directory (a shell that expanded *.txt
    // hands over thousands of such names).
    if (pattern.find_first_of("*?") == std::string::npos) {
        if (pattern.empty() || pattern == "." || pattern == "..") return true;
        DirectoryEntry entry;
        if (!findName(directory, pattern, entry.location)) return errno == ENOENT || errno == ENOTDIR;
        const std::string& native = entry.location.native;
        entry.name = native.substr(native.find_last_of('/') + 1);
        // An entry gone since it was found is reported like one that cannot
        // be examined.
        if (describe(entry) != Described::Ok) return false;
        entries.push_back(std::move(entry));
        return true;
    }

    DIR* dir = openListing(directory);
    if (dir == nullptr) return errno == ENOENT || errno == ENOTDIR;
    // The whole listing is read before anything is looked at, so files the
    // caller creates while working through it are never picked up.
    std::vector<std::pair<std::string, unsigned char>> names;
    bool failed = false;
    for (;;) {
        errno = 0;
        const dirent* item = ::readdir(dir);
        if (item == nullptr) {
            if (errno != 0) failed = true;
            break;
        }
        const char* name = item->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        // A plain file is known from the listing itself: no need to stat it
        // when only directories are wanted.
        if (directoriesOnly && item->d_type == DT_REG) continue;
        if (wildcardMatch(pattern.c_str(), name)) names.emplace_back(name, item->d_type);
    }
    int savedErrno = errno;
    ::closedir(dir);
    errno = savedErrno;

    // In name order, ignoring case: the names are sorted, not the entries
    // made from them, which are larger to move.
    std::sort(names.begin(), names.end(),
              [](const std::pair<std::string, unsigned char>& a, const std::pair<std::string, unsigned char>& b) {
                  return nameLess(a.first, b.first);
              });
    for (auto& item : names) {
        DirectoryEntry entry;
        entry.location = locateName(directory, item.first);
        entry.name = std::move(item.first);
        // An entry that cannot be examined (a path beyond the system's
        // limit) is left out, and the search reports the failure.
        const bool typeTells = item.second == DT_REG || item.second == DT_DIR;
        Described described = typeTells ? fromListing(entry, item.second) : describe(entry);
        if (described == Described::Ok) {
            entries.push_back(std::move(entry));
        } else if (described == Described::Failed) {
            savedErrno = errno;
            failed = true;
        }
    }
    errno = savedErrno;
    return !failed;
}

bool findExactName(const FileLocation& directory, const std::string& name, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    DirectoryEntry entry;
    entry.location = locateName(directory, name);
    entry.name = name;
    switch (describe(entry)) {
        case Described::Ok:
            entries.push_back(std::move(entry));
            return true;
        case Described::Gone:
            return true;
        case Described::Failed:
        default:
            return false;
    }
}

}  // namespace platform
