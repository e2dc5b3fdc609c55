#include "platform/file_search.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/win32/windows_api.h"

#include "platform/file_ops.h"
#include "platform/win32/wide_paths.h"
#include "platform/win32/win32_errors.h"

namespace platform {

static char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Orders names ignoring ASCII case; names equal that way go by their bytes,
// so the order is total and the same on every run and on every system.
static bool nameLess(const std::string& a, const std::string& b) {
    std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        unsigned char x = static_cast<unsigned char>(lowerAscii(a[i]));
        unsigned char y = static_cast<unsigned char>(lowerAscii(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

bool wildcardMatch(const char* pattern, const char* name) {
    // "*.*" stands for every name, dot or no dot.
    if (std::strcmp(pattern, "*.*") == 0) return true;

    // Greedy matching: a star first takes nothing; on a mismatch the most
    // recent star takes one more character and matching resumes after it.
    // Earlier stars never need revisiting, so the cost stays polynomial.
    const char* p = pattern;
    const char* n = name;
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*n != '\0') {
        if (*p == '*') {
            starPattern = ++p;
            starName = n;
        } else if (*p != '\0' && (*p == '?' || lowerAscii(*p) == lowerAscii(*n))) {
            ++p;
            ++n;
        } else if (starPattern != nullptr) {
            p = starPattern;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    return *p == '\0';
}

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

// The directory part of a search path, as the system's search reads it:
// everything up to the last separator, or a drive prefix ("c:" names the
// drive's current directory there).
static std::string directoryPartOf(const std::string& searchPath) {
    std::size_t last = searchPath.find_last_of("\\/");
    if (last != std::string::npos) return searchPath.substr(0, last + 1);
    if (searchPath.size() >= 2 && searchPath[1] == ':') return searchPath.substr(0, 2);
    return std::string();
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
    entry.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                           data.nFileSizeLow);
    return entry;
}

static bool isDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool findFiles(const std::string& searchPath, std::vector<DirectoryEntry>& entries, bool* failed) {
    entries.clear();
    // The system's search does the matching, as Windows users know it
    // (short names included). The wide-character search takes paths of any
    // length.
    WIN32_FIND_DATAW data;
    HANDLE search = ::FindFirstFileW(win32::systemPath(searchPath).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD error = ::GetLastError();
        if (!meansNothingFound(error) && failed != nullptr) *failed = true;
        win32::setErrnoFromError(error);
        return false;
    }
    // The whole listing is read before anything is looked at, so files the
    // caller creates or renames while working through it are never picked
    // up, and the order does not depend on the file system.
    DWORD error = ERROR_NO_MORE_FILES;
    for (;;) {
        if (!isDotOrDotDot(data.cFileName)) entries.push_back(entryOf(data));
        if (!::FindNextFileW(search, &data)) {
            error = ::GetLastError();
            break;
        }
    }
    ::FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        // The listing broke off: what was read is still handed back.
        if (failed != nullptr) *failed = true;
    }
    // The identity comes from the file itself (a link's target), by the same
    // call that identifies any other path, so the two always compare alike.
    const std::string directory = directoryPartOf(searchPath);
    for (DirectoryEntry& entry : entries) entry.identity = fileIdentity(directory + entry.name);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return nameLess(a.name, b.name); });
    if (error != ERROR_NO_MORE_FILES) win32::setErrnoFromError(error);
    return !entries.empty();
}

}  // namespace platform
