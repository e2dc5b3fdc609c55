#include "platform/file_ops.h"

#include <cerrno>
#include <cstdio>
#include <io.h>

#include "platform/exit_cleanup.h"
#include "platform/partial_copy_record.h"
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

static void deleteQuietly(const std::wstring& path) {
    int saved = errno;
    ::DeleteFileW(path.c_str());
    errno = saved;
}

static DWORD moveFlags(bool replaceExisting) {
    return MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
}

// Everything up to and including the last separator or drive colon.
static std::string directoryOf(const std::string& path) {
    std::size_t last = path.find_last_of("\\/:");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

// Forces the data of a closed file to the disk.
static bool flushToDisk(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) return failWithLastError();
    bool ok = ::FlushFileBuffers(file) != 0;
    DWORD error = ::GetLastError();
    if (!::CloseHandle(file) && ok) {
        ok = false;
        error = ::GetLastError();
    }
    if (!ok) win32::setErrnoFromError(error);
    return ok;
}

// Copies the source to a new, flushed file beside the target and renames it
// over the target, so the target is either the old file or the complete new
// one, never a partial copy: a copy straight onto the target that failed
// half-way would leave neither.
static bool copyOver(const std::wstring& source, const std::string& target, const std::wstring& wideTarget,
                     bool replaceExisting) {
    const std::string directory = directoryOf(target);
    std::string base = target.substr(directory.size());
    // The decorated name must still fit the file system's limit on names.
    if (base.size() > 200) base.resize(200);
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".txt2vb-%lx-%u", static_cast<unsigned long>(::GetCurrentProcessId()),
                      attempt);
        const FileLocation copy{directory + base + suffix};
        const std::wstring temporary = win32::systemPath(copy.native);
        recordPartialCopyName(copy);
        if (!::CopyFileW(source.c_str(), temporary.c_str(), TRUE)) {
            DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            recordPartialCopyDone();
            win32::setErrnoFromError(error);
            return false;
        }
        // The copy goes however the process ends, until it is in place
        // (after a kill, with the next run that takes the lock).
        const FileIdentity made = fileIdentity(copy);
        recordPartialCopyIdentity(made);
        int exitSlot = removeAtExit(copy, made);
        bool ok = flushToDisk(temporary);
        if (ok && !::MoveFileExW(temporary.c_str(), wideTarget.c_str(), moveFlags(replaceExisting))) {
            ok = failWithLastError();
        }
        if (!ok) deleteQuietly(temporary);  // errno is already set
        keepAtExit(exitSlot);
        recordPartialCopyDone();
        return ok;
    }
    recordPartialCopyDone();
    errno = EEXIST;
    return false;
}

bool moveFile(const FileLocation& source, const FileLocation& target, bool replaceExisting) {
    const std::wstring from = win32::systemPath(source.native);
    const std::wstring to = win32::systemPath(target.native);
    // Within one volume this is a rename, which replaces the target in one
    // step (or, without replaceExisting, fails when the target exists). No
    // command interpreter is involved.
    if (::MoveFileExW(from.c_str(), to.c_str(), moveFlags(replaceExisting))) return true;
    if (::GetLastError() != ERROR_NOT_SAME_DEVICE) return failWithLastError();
    if (!copyOver(from, target.native, to, replaceExisting)) return false;
    // The target is complete; the source goes only now. Should that fail,
    // the move has still happened, the data merely exists twice.
    ::DeleteFileW(from.c_str());
    return true;
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
