#include "platform/file_location.h"

#include "platform/win32/wide_paths.h"
#include "platform/win32/windows_api.h"

namespace platform {

// Windows takes the paths the tool builds as they stand; a name found in a
// directory can hold no separator, so joining it keeps it one name.
FileLocation locatePath(const std::string& path) { return FileLocation{path}; }

FileLocation locateName(const FileLocation& directory, const std::string& name) {
    const std::string& dir = directory.native;
    if (dir.empty()) return FileLocation{name};
    char last = dir.back();
    if (last == '\\' || last == '/' || last == ':') return FileLocation{dir + name};
    return FileLocation{dir + "\\" + name};
}

// The file system finds names ignoring case by itself.
bool findName(const FileLocation& directory, const std::string& name, FileLocation& found) {
    FileLocation candidate = locateName(directory, name);
    if (::GetFileAttributesW(win32::systemPath(candidate.native).c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    found = candidate;
    return true;
}

}  // namespace platform

namespace platform {

ExactPath examineExactPath(const std::string& path) {
    ExactPath exact;
    // No file name holds a wildcard: such an argument is a pattern.
    if (path.empty() || path.find_first_of("*?") != std::string::npos) return exact;
    const DWORD attributes = ::GetFileAttributesW(win32::systemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return exact;
    exact.exists = true;
    exact.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::size_t separator = path.find_last_of("\\/:");
    const std::size_t start = separator == std::string::npos ? 0 : separator + 1;
    exact.directory = path.substr(0, start);
    exact.name = path.substr(start);
    // "dir\." or "c:" names a directory whatever its attributes say.
    if (exact.name.empty() || exact.name == "." || exact.name == "..") exact.isDirectory = true;
    return exact;
}

FileLocation locateExactDirectory(const std::string& directory) { return FileLocation{directory}; }

}  // namespace platform
