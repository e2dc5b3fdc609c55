#include "platform/file_search.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/win32/windows_api.h"

#include "platform/file_ops.h"
#include "platform/win32/wide_paths.h"
#include "platform/win32/win32_errors.h"

namespace platform {

// Errors of the search's start that only say there is nothing to list: no
// matching name, a directory part that does not exist, is not a directory,
// or is a name no file can have.
static bool meansNothingFound(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_NO_MORE_FILES:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_NAME:
            return true;
        default:
            return false;
    }
}

static DirectoryEntry entryOf(const WIN32_FIND_DATAW& data) {
    DirectoryEntry entry;
    // A name the ANSI code page cannot spell would name no file (or another
    // one): its short name, plain ASCII, reaches the same file.
    if (!win32::toNarrow(data.cFileName, entry.name) && data.cAlternateFileName[0] != L'\0') {
        win32::toNarrow(data.cAlternateFileName, entry.name);
    }
    entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.isReadOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    // A listing holds files and directories; devices are never listed.
    entry.isRegular = !entry.isDirectory && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
    entry.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                           data.nFileSizeLow);
    return entry;
}

static bool isDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// The identity comes from the file itself (a link's target), by the same
// call that identifies any other path, so the two always compare alike.
bool describeEntry(DirectoryEntry& entry) {
    entry.identity = fileIdentity(entry.location);
    entry.described = true;
    return true;
}

bool findFiles(const FileLocation& directory, const std::string& pattern, std::vector<DirectoryEntry>& entries,
               bool directoriesOnly) {
    entries.clear();
    const std::string searchPath = locateName(directory, pattern).native;
    // The system's search does the matching, as Windows users know it
    // (short names included). The wide-character search takes paths of any
    // length.
    WIN32_FIND_DATAW data;
    HANDLE search = ::FindFirstFileW(win32::systemPath(searchPath).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD error = ::GetLastError();
        win32::setErrnoFromError(error);
        return meansNothingFound(error);
    }
    // The whole listing is read before anything is looked at, so files the
    // caller creates or renames while working through it are never picked
    // up, and the order does not depend on the file system.
    DWORD error = ERROR_NO_MORE_FILES;
    for (;;) {
        const bool wanted = !directoriesOnly || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (wanted && !isDotOrDotDot(data.cFileName)) entries.push_back(entryOf(data));
        if (!::FindNextFileW(search, &data)) {
            error = ::GetLastError();
            break;
        }
    }
    ::FindClose(search);
    // A listing that broke off still hands back what was read. It tells
    // everything but the identity, which costs opening the file:
    // describeEntry() or the opened file gives it.
    for (DirectoryEntry& entry : entries) entry.location = locateName(directory, entry.name);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return nameLess(a.name, b.name); });
    if (error == ERROR_NO_MORE_FILES) return true;
    win32::setErrnoFromError(error);
    return false;
}

// No file name holds a wildcard, and the system finds a plain name alone
// (ignoring case, as it finds every name).
bool findExactName(const FileLocation& directory, const std::string& name, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    if (name.empty() || name.find_first_of("*?") != std::string::npos) return true;
    return findFiles(directory, name, entries);
}

}  // namespace platform
