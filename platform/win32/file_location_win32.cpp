#include "platform/file_location.h"

#include <cerrno>

#include "platform/win32/wide_paths.h"
#include "platform/win32/win32_errors.h"
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

// A directory handle opened without FILE_SHARE_DELETE: while it is held,
// nobody can rename or remove the directory, so its path keeps naming it
// (and the paths of everything found in it stay inside it).
class OpenDirectory {
public:
    explicit OpenDirectory(HANDLE handle) : handle_(handle) {}
    ~OpenDirectory() { ::CloseHandle(handle_); }
    OpenDirectory(const OpenDirectory&) = delete;
    OpenDirectory& operator=(const OpenDirectory&) = delete;

private:
    HANDLE handle_;
};

bool openDirectory(FileLocation& location, bool followLinks) {
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HANDLE handle = ::CreateFileW(win32::systemPath(location.native).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        win32::setErrnoFromError(::GetLastError());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    int error = 0;
    if (!::GetFileInformationByHandle(handle, &info)) {
        win32::setErrnoFromError(::GetLastError());
        error = errno;
    } else if (!followLinks && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        error = ELOOP;
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        error = ENOTDIR;
    }
    if (error != 0) {
        ::CloseHandle(handle);
        errno = error;
        return false;
    }
    location.self = std::make_shared<OpenDirectory>(handle);
    return true;
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
