#include <fcntl.h>
#include <io.h>

#include <string>

#include "platform/anonymous_file.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/windows_api.h"

namespace platform {

int openAnonymousFile() {
    wchar_t directory[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, directory);
    wchar_t name[MAX_PATH + 1];
    if (length == 0 || length > MAX_PATH || ::GetTempFileNameW(directory, L"t2v", 0, name) == 0) {
        win32::setErrnoFromError(::GetLastError());
        return -1;
    }
    // Shared with no one, and gone when its handle is closed.
    HANDLE file = ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        win32::setErrnoFromError(::GetLastError());
        ::DeleteFileW(name);
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY);
    if (fd < 0) ::CloseHandle(file);
    return fd;
}

bool rewindDescriptor(int descriptor) { return ::_lseeki64(descriptor, 0, SEEK_SET) == 0; }

}  // namespace platform
