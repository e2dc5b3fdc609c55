#include "platform/file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>

#include "platform/win32/windows_api.h"

#include "platform/win32/wide_paths.h"
#include "platform/win32/win32_errors.h"

namespace platform {

// How often a waiting run tries again, and how long it lets "access denied"
// pass for a lock file its holder has just removed (the name stays taken
// until the holder's handle is closed).
static const DWORD kRetryMilliseconds = 20;
static const DWORD kDeletePendingMilliseconds = 2000;

bool ExclusiveFileLock::acquire(const std::string& path, PathLookup) {
    release();
    // Holding the file open without sharing its data is the lock: another
    // run's open fails with a sharing violation until the handle is closed,
    // which the system does at the latest when the process ends. Deleting is
    // shared, so the holder can remove the file while it holds it; nobody
    // else can open it meanwhile, so a file made anew is always the one
    // locked.
    const std::wstring name = win32::systemPath(path);
    DWORD deniedFor = 0;
    for (;;) {
        HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), 0);
            if (fd < 0) {
                int saved = errno;
                ::CloseHandle(file);
                errno = saved;
                return false;
            }
            descriptor_ = fd;
            return true;
        }
        DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED && deniedFor < kDeletePendingMilliseconds) {
            deniedFor += kRetryMilliseconds;
        } else if (error != ERROR_SHARING_VIOLATION) {
            win32::setErrnoFromError(error);
            return false;
        }
        ::Sleep(kRetryMilliseconds);
    }
}

void ExclusiveFileLock::release() {
    if (descriptor_ >= 0) ::_close(descriptor_);
    descriptor_ = -1;
}

}  // namespace platform
