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
