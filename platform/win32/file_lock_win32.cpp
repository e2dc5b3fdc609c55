#include "platform/file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>

#include "platform/console.h"
#include "platform/exit_cleanup.h"
#include "platform/working_files.h"
#include "platform/win32/windows_api.h"

#include "platform/win32/wide_paths.h"
#include "platform/win32/win32_errors.h"

namespace platform {

// How often a waiting run tries again, and how long it lets "access denied"
// pass for a lock file its holder has just removed (the name stays taken
// until the holder's handle is closed), and a name that looks like anything
// but a plain file of one link: a file being removed can look so for a
// moment, while a link or a directory put there stays and is refused.
static const DWORD kRetryMilliseconds = 20;
static const DWORD kDeletePendingMilliseconds = 2000;

static HANDLE openLockFile(const std::wstring& name, DWORD access) {
    return ::CreateFileW(name.c_str(), access, FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool ExclusiveFileLock::acquire(const FileLocation& lockName, std::string* err) {
    release();
    const std::string& path = lockName.native;
    // Holding the file open without sharing its data is the lock: another
    // run's open fails with a sharing violation until the handle is closed,
    // which the system does at the latest when the process ends. Deleting is
    // shared, so the holder can remove the file while it holds it; nobody
    // else can open it meanwhile, so a file made anew is always the one
    // locked.
    const std::wstring name = win32::systemPath(path);
    DWORD deniedFor = 0;
    DWORD oddFor = 0;
    for (;;) {
        // A link or a directory under the name is never opened.
        if (!isPlainFileOrNothing(lockName, err)) {
            if (oddFor >= kDeletePendingMilliseconds) return false;
            oddFor += kRetryMilliseconds;
            ::Sleep(kRetryMilliseconds);
            continue;
        }
        const int slot = removeLockAtExit(lockName);
        HANDLE file = openLockFile(name, GENERIC_READ);
        if (file != INVALID_HANDLE_VALUE) {
            BY_HANDLE_FILE_INFORMATION info;
            if (!::GetFileInformationByHandle(file, &info) || info.nNumberOfLinks > 1 ||
                (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
                keepAtExit(slot);
                ::CloseHandle(file);
                if (oddFor < kDeletePendingMilliseconds) {
                    oddFor += kRetryMilliseconds;
                    ::Sleep(kRetryMilliseconds);
                    continue;
                }
                if (!isPlainFileOrNothing(lockName, err)) return false;
                *err = path + ": " + errorText(EEXIST);
                return false;
            }
            int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY | _O_RDONLY);
            if (fd < 0) {
                keepAtExit(slot);
                *err = path + ": " + errorText(errno);
                ::CloseHandle(file);
                return false;
            }
            descriptor_ = fd;
            name_ = lockName;
            identity_.exists = true;
            identity_.device = info.dwVolumeSerialNumber;
            identity_.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
            identifyLockAtExit(slot, identity_, fd);
            exitSlot_ = slot;
            return true;
        }
        DWORD error = ::GetLastError();
        keepAtExit(slot);
        if (error == ERROR_ACCESS_DENIED && deniedFor < kDeletePendingMilliseconds) {
            deniedFor += kRetryMilliseconds;
        } else if (error != ERROR_SHARING_VIOLATION) {
            win32::setErrnoFromError(error);
            *err = path + ": " + errorText(errno);
            return false;
        }
        ::Sleep(kRetryMilliseconds);
    }
}

}  // namespace platform
