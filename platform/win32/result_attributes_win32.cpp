// What a result takes from its input once it is complete: the attributes
// that say how it is shown and indexed.
#include <cerrno>
#include <io.h>

#include "platform/working_files.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/windows_api.h"

namespace platform {

namespace {

// The attributes a result takes from its input. The read-only attribute is
// not among them: a read-only input is never replaced. The archive
// attribute the system gave the new file stays: the file has changed, and
// backup programs must see it so.
const DWORD kCopiedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool failWith(DWORD error) {
    win32::setErrnoFromError(error);
    return false;
}

HANDLE handleOf(int descriptor) { return reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor)); }

bool copyFileAttributes(HANDLE to, HANDLE from) {
    FILE_BASIC_INFO input;
    FILE_BASIC_INFO result;
    if (!::GetFileInformationByHandleEx(from, FileBasicInfo, &input, sizeof input) ||
        !::GetFileInformationByHandleEx(to, FileBasicInfo, &result, sizeof result)) {
        return failWith(::GetLastError());
    }
    const DWORD wanted = (result.FileAttributes & ~kCopiedAttributes) | (input.FileAttributes & kCopiedAttributes);
    if (wanted == result.FileAttributes) return true;
    // Times of zero leave the result's times as they are.
    FILE_BASIC_INFO change = {};
    change.FileAttributes = wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL;
    return ::SetFileInformationByHandle(to, FileBasicInfo, &change, sizeof change) != 0 ||
           failWith(::GetLastError());
}

}  // namespace

// The access list is not copied: the result, made in the input's
// directory, inherits what the input inherited there. An explicit list
// (a protected one, a denied user) is lost; copying one could not be
// checked on the systems the tool is tested on (Wine keeps no access
// lists, and turns one it is given into wider permission bits).
bool copyAttributes(int descriptor, const FileFacts&, int inputDescriptor, const FileFacts&) {
    HANDLE to = handleOf(descriptor);
    HANDLE from = handleOf(inputDescriptor);
    if (to == INVALID_HANDLE_VALUE || from == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return false;
    }
    return copyFileAttributes(to, from);
}

}  // namespace platform
