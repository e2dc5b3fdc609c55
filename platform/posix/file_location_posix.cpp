#include "platform/file_location.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/names.h"
#include "platform/posix/native_paths.h"

namespace platform {

FileLocation locatePath(const std::string& path) { return FileLocation{nativePath(path)}; }

FileLocation locateName(const FileLocation& directory, const std::string& name) {
    if (directory.native.empty()) return FileLocation{name};
    if (directory.native.back() == '/') return FileLocation{directory.native + name};
    return FileLocation{directory.native + "/" + name};
}

namespace {

std::string foldCase(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) c = lowerAscii(c);
    return folded;
}

// Each directory's names, folded to lower case, each mapped to the byte-wise
// smallest name of that folding (the same choice as the path lookup). Read
// once a run: names the run itself makes are found by their exact name,
// which is always tried first.
using FoldedNames = std::unordered_map<std::string, std::string>;
std::unordered_map<std::string, FoldedNames> listingCache;

const FoldedNames& namesOf(const std::string& directory) {
    auto known = listingCache.find(directory);
    if (known != listingCache.end()) return known->second;
    FoldedNames& names = listingCache[directory];
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        std::string name = entry->d_name;
        auto slot = names.emplace(foldCase(name), name);
        if (!slot.second && name < slot.first->second) slot.first->second = name;
    }
    ::closedir(dir);
    return names;
}

}  // namespace

bool findName(const FileLocation& directory, const std::string& name, FileLocation& found) {
    struct stat info;
    FileLocation exact = locateName(directory, name);
    if (::lstat(exact.native.c_str(), &info) == 0) {
        found = exact;
        return true;
    }
    // A directory that cannot be searched keeps its error.
    if (errno != ENOENT) return false;
    const FoldedNames& names = namesOf(directory.native);
    auto match = names.find(foldCase(name));
    if (match == names.end()) {
        errno = ENOENT;
        return false;
    }
    // The listing may be older than the name: it counts only if it is
    // still there.
    FileLocation other = locateName(directory, match->second);
    if (::lstat(other.native.c_str(), &info) != 0) {
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
