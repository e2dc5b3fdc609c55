#include "platform/file_location.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/names.h"
#include "platform/posix/native_paths.h"
#include "platform/posix/open_directory.h"

namespace platform {

FileLocation locatePath(const std::string& path) { return FileLocation{nativePath(path)}; }

FileLocation locateName(const FileLocation& directory, const std::string& name) {
    // Found through the open directory itself when there is one.
    if (directory.self) return FileLocation{name, directory.self, nullptr};
    if (directory.native.empty()) return FileLocation{name, directory.base, nullptr};
    if (directory.native.back() == '/') return FileLocation{directory.native + name, directory.base, nullptr};
    return FileLocation{directory.native + "/" + name, directory.base, nullptr};
}

bool openDirectory(FileLocation& location, bool followLinks) {
    int flags = O_RDONLY | O_DIRECTORY | O_NOCTTY | O_CLOEXEC;
    if (!followLinks) flags |= O_NOFOLLOW;
    int fd;
    do {
        fd = ::openat(baseOf(location), pathOf(location), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        // Some systems tell a link refused with O_DIRECTORY as "not a
        // directory": a link it is.
        struct stat info;
        if (errno == ENOTDIR && !followLinks &&
            ::fstatat(baseOf(location), pathOf(location), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode)) {
            errno = ELOOP;
        }
        return false;
    }
    location.self = std::make_shared<OpenDirectory>(fd);
    return true;
}

namespace {

// Each directory's names, folded to lower case, each mapped to the byte-wise
// smallest name of that folding (the same choice as the path lookup). Read
// once a run: names the run itself makes are found by their exact name,
// which is always tried first. An open directory is known by its identity,
// any other by its path.
using FoldedNames = std::unordered_map<std::string, std::string>;
std::unordered_map<std::string, FoldedNames> listingCache;

std::string cacheKey(const FileLocation& directory) {
    struct stat info;
    if (directory.self && ::fstat(directory.self->descriptor(), &info) == 0) {
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    }
    return "/" + directory.native;
}

const FoldedNames& namesOf(const FileLocation& directory) {
    const std::string key = cacheKey(directory);
    auto known = listingCache.find(key);
    if (known != listingCache.end()) return known->second;
    FoldedNames& names = listingCache[key];
    DIR* dir = openListing(directory);
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        std::string name = entry->d_name;
        auto slot = names.emplace(foldedCase(name), name);
        if (!slot.second && name < slot.first->second) slot.first->second = name;
    }
    ::closedir(dir);
    return names;
}

}  // namespace

bool findName(const FileLocation& directory, const std::string& name, FileLocation& found) {
    struct stat info;
    FileLocation exact = locateName(directory, name);
    if (::fstatat(baseOf(exact), pathOf(exact), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        found = exact;
        return true;
    }
    // A directory that cannot be searched keeps its error.
    if (errno != ENOENT) return false;
    const FoldedNames& names = namesOf(directory);
    auto match = names.find(foldedCase(name));
    if (match == names.end()) {
        errno = ENOENT;
        return false;
    }
    // The listing may be older than the name: it counts only if it is
    // still there.
    FileLocation other = locateName(directory, match->second);
    if (::fstatat(baseOf(other), pathOf(other), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        errno = ENOENT;
        return false;
    }
    found = other;
    return true;
}

}  // namespace platform

namespace platform {

ExactPath examineExactPath(const std::string& path) {
    ExactPath exact;
    struct stat info;
    if (path.empty() || ::lstat(path.c_str(), &info) != 0) return exact;
    exact.exists = true;
    // A link counts as what it leads to; a dangling one is no directory.
    struct stat target;
    exact.isDirectory = S_ISDIR(info.st_mode) || (S_ISLNK(info.st_mode) && ::stat(path.c_str(), &target) == 0 &&
                                                 S_ISDIR(target.st_mode));
    const std::size_t slash = path.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    exact.directory = path.substr(0, start);
    exact.name = path.substr(start);
    return exact;
}

FileLocation locateExactDirectory(const std::string& directory) { return FileLocation{directory}; }

}  // namespace platform
