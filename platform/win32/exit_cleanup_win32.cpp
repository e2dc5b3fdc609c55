#include "platform/exit_cleanup.h"

#include <cstdlib>
#include <string>

#include "platform/win32/wide_paths.h"
#include "platform/win32/windows_api.h"

namespace platform {

namespace {

constexpr int kSlots = 4;
struct Slot {
    volatile LONG used;
    std::wstring path;
    FileIdentity identity;
};
Slot slots[kSlots];
bool installed = false;

void removeRegistered() {
    for (Slot& slot : slots) {
        if (::InterlockedExchange(&slot.used, 0) == 0) continue;
        HANDLE handle = ::CreateFileW(slot.path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle == INVALID_HANDLE_VALUE) continue;
        BY_HANDLE_FILE_INFORMATION info;
        bool same = ::GetFileInformationByHandle(handle, &info) && info.dwVolumeSerialNumber == slot.identity.device &&
                    ((static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow) ==
                        slot.identity.inode;
        ::CloseHandle(handle);
        if (same) ::DeleteFileW(slot.path.c_str());
    }
}

// Ctrl-C, Ctrl-Break and the console's closing end the process: the files
// go first. The handler runs on a thread of its own.
BOOL WINAPI onConsoleEvent(DWORD) {
    removeRegistered();
    return FALSE;  // the default handler ends the process
}

}  // namespace

int removeAtExit(const FileLocation& name, const FileIdentity& identity) {
    if (!installed) {
        installed = true;
        std::atexit(removeRegistered);
        ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    }
    for (int i = 0; i < kSlots; ++i) {
        Slot& slot = slots[i];
        if (slot.used) continue;
        slot.path = win32::systemPath(name.native);
        slot.identity = identity;
        slot.used = 1;
        return i;
    }
    return -1;
}

void keepAtExit(int slot) {
    if (slot >= 0 && slot < kSlots) ::InterlockedExchange(&slots[slot].used, 0);
}

}  // namespace platform
