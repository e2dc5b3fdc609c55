#include "platform/working_files.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>

#include "platform/console.h"
#include "platform/file_ops.h"
#include "platform/win32/wide_paths.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/windows_api.h"

namespace platform {

static FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    FileIdentity identity;
    identity.exists = true;
    identity.device = info.dwVolumeSerialNumber;
    identity.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return identity;
}

bool describeDescriptor(int descriptor, FileFacts& facts) {
    HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
    if (handle == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return false;
    }
    facts = FileFacts();
    if (::GetFileType(handle) != FILE_TYPE_DISK) return true;  // a console, a pipe, a device
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info)) {
        win32::setErrnoFromError(::GetLastError());
        return false;
    }
    facts.identity = identityOf(info);
    facts.isRegular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    facts.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                           info.nFileSizeLow);
    facts.modified = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                               info.ftLastWriteTime.dwLowDateTime);
    facts.mode = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
    return true;
}

// Opens what stands under `name` itself, a link not followed, for looking
// at it only.
static HANDLE openEntry(const std::wstring& name) {
    return ::CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// 1: a plain file stands there, 0: nothing, -1: something else (`err` set).
static int examine(const FileLocation& name, std::string* err) {
    const std::wstring wide = win32::systemPath(name.native);
    DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return 0;
        win32::setErrnoFromError(error);
        *err = name.native + ": " + errorText(errno);
        return -1;
    }
    const char* kind = nullptr;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        kind = "lien symbolique";
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        kind = "r\x82pertoire";
    } else {
        HANDLE handle = openEntry(wide);
        BY_HANDLE_FILE_INFORMATION info;
        bool single = handle != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(handle, &info) &&
                      info.nNumberOfLinks == 1;
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
        if (!single) kind = "fichier \x85 plusieurs liens";
    }
    if (kind == nullptr) return 1;
    *err = name.native + " (" + kind + ")";
    errno = EEXIST;
    return -1;
}

bool isPlainFileOrNothing(const FileLocation& name, std::string* err) { return examine(name, err) >= 0; }

int createPrivateFile(const FileLocation& name, FileFacts& made) {
    // Made anew, never opened if it exists (a link included), and shared
    // with no other process while the run writes it.
    HANDLE file = ::CreateFileW(win32::systemPath(name.native).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        win32::setErrnoFromError(::GetLastError());
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info;
    made = FileFacts();
    if (::GetFileInformationByHandle(file, &info)) {
        made.identity = identityOf(info);
        made.isRegular = true;
        made.mode = 0666;
    }
    int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY);
    if (fd < 0) {
        int saved = errno;
        ::CloseHandle(file);
        ::DeleteFileW(win32::systemPath(name.native).c_str());
        errno = saved;
    }
    return fd;
}

// True while `wide` still names the file `identity` names; otherwise false,
// with errno telling why (ENOENT when another file stands there).
static bool stillHolds(const std::wstring& wide, const FileIdentity& identity) {
    HANDLE handle = openEntry(wide);
    if (handle == INVALID_HANDLE_VALUE) {
        win32::setErrnoFromError(::GetLastError());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    bool same = ::GetFileInformationByHandle(handle, &info) && identityOf(info) == identity;
    ::CloseHandle(handle);
    if (!same) errno = ENOENT;
    return same;
}

bool removeIfSame(const FileLocation& name, const FileIdentity& identity) {
    const std::wstring wide = win32::systemPath(name.native);
    if (!stillHolds(wide, identity)) return false;
    if (::DeleteFileW(wide.c_str())) return true;
    win32::setErrnoFromError(::GetLastError());
    return false;
}

bool renameIfSame(const FileLocation& source, const FileIdentity& identity, const FileLocation& target,
                  const FileIdentity& targetIdentity) {
    // The result is made with FILE_SHARE_DELETE alone and stays so until it
    // is closed; a name that no longer holds it fails the comparison.
    if (!stillHolds(win32::systemPath(source.native), identity)) return false;
    if (targetIdentity.exists && !stillHolds(win32::systemPath(target.native), targetIdentity)) return false;
    return moveFile(source, target, targetIdentity.exists);
}

}  // namespace platform
