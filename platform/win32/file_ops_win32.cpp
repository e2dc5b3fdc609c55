#include "platform/file_ops.h"

#include <cerrno>
#include <cstdio>
#include <io.h>

#include "platform/win32/windows_api.h"

#include "platform/win32/wide_paths.h"
#include "platform/win32/win32_errors.h"

namespace platform {

// Sets errno from the last Win32 error and answers false, for the returns
// after a failed system call.
static bool failWithLastError() {
    win32::setErrnoFromError(::GetLastError());
    return false;
}

bool removeFile(const FileLocation& location) {
    if (::DeleteFileW(win32::systemPath(location.native).c_str())) return true;
    return failWithLastError();
}

static DWORD moveFlags(bool replaceExisting) {
    return MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
}

bool moveFile(const FileLocation& source, const FileLocation& target, bool replaceExisting) {
    const std::wstring from = win32::systemPath(source.native);
    const std::wstring to = win32::systemPath(target.native);
    // A rename, which replaces the target in one step (or, without
    // replaceExisting, fails when the target exists); never a copy.
    if (::MoveFileExW(from.c_str(), to.c_str(), moveFlags(replaceExisting))) return true;
    return failWithLastError();
}

// The volume serial number and file index of an open disk file; nothing for
// a console, a pipe or a device.
static FileIdentity identityOf(HANDLE handle) {
    if (::GetFileType(handle) != FILE_TYPE_DISK) return FileIdentity();
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info)) return FileIdentity();
    FileIdentity identity;
    identity.exists = true;
    identity.device = info.dwVolumeSerialNumber;
    identity.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return identity;
}

FileIdentity fileIdentity(const FileLocation& location) {
    const std::string& path = location.native;
    // Only the attributes are read, which no sharing mode forbids, so a file
    // open elsewhere (even locked) can still be identified. Backup semantics
    // let the same call open a directory; links are followed.
    HANDLE handle = ::CreateFileW(win32::systemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return FileIdentity();
    FileIdentity identity = identityOf(handle);
    ::CloseHandle(handle);
    return identity;
}

FileIdentity descriptorIdentity(int descriptor) {
    HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
    if (handle == INVALID_HANDLE_VALUE || ::GetFileType(handle) != FILE_TYPE_DISK) return FileIdentity();
    FileIdentity identity = identityOf(handle);
    if (identity.exists) return identity;
    // A handle opened for writing only (a redirection, say) may not read
    // attributes: a second handle to the same file that may is asked
    // instead, and failing that the file's name.
    const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE again = ::ReOpenFile(handle, FILE_READ_ATTRIBUTES, shareAll, 0);
    if (again != INVALID_HANDLE_VALUE) {
        identity = identityOf(again);
        ::CloseHandle(again);
        if (identity.exists) return identity;
    }
    DWORD needed = ::GetFinalPathNameByHandleW(handle, nullptr, 0, FILE_NAME_NORMALIZED);
    if (needed == 0) return FileIdentity();
    std::wstring name(needed, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(handle, &name[0], needed, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= needed) return FileIdentity();
    name.resize(length);
    HANDLE named = ::CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, shareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE) return FileIdentity();
    identity = identityOf(named);
    ::CloseHandle(named);
    return identity;
}

}  // namespace platform
