#include "platform/exit_cleanup.h"

#include <cstdlib>
#include <io.h>
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
// The append file to cut back, and its size; -1: none.
volatile LONG cutBackDescriptor = -1;
long long cutBackSize = 0;

// 1: the file has the slot's identity; 2: the file is being created, and
// is taken for the process's own while it is an empty plain file with one
// link (what the creation leaves).
constexpr LONG kIdentified = 1;
constexpr LONG kBeingCreated = 2;
// 3: a lock file not held yet, never removed.
constexpr LONG kLockPending = 3;

bool isSlotFile(const BY_HANDLE_FILE_INFORMATION& info, LONG state, const FileIdentity& identity) {
    if (state == kIdentified) {
        return info.dwVolumeSerialNumber == identity.device &&
               ((static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow) == identity.inode;
    }
    const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if (state == kLockPending) return false;
    return (info.dwFileAttributes & notPlain) == 0 && info.nNumberOfLinks == 1 && info.nFileSizeHigh == 0 &&
           info.nFileSizeLow == 0;
}

void removeRegistered() {
    const LONG append = ::InterlockedExchange(&cutBackDescriptor, -1);
    if (append >= 0) {
        HANDLE file = reinterpret_cast<HANDLE>(::_get_osfhandle(append));
        LARGE_INTEGER size;
        size.QuadPart = cutBackSize;
        if (file != INVALID_HANDLE_VALUE && ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN)) ::SetEndOfFile(file);
    }
    for (Slot& slot : slots) {
        const LONG state = ::InterlockedExchange(&slot.used, 0);
        if (state == 0) continue;
        HANDLE handle = ::CreateFileW(slot.path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle == INVALID_HANDLE_VALUE) continue;
        BY_HANDLE_FILE_INFORMATION info;
        bool same = ::GetFileInformationByHandle(handle, &info) && isSlotFile(info, state, slot.identity);
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

static void install() {
    if (installed) return;
    installed = true;
    std::atexit(removeRegistered);
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

static int registerSlot(const FileLocation& name, const FileIdentity& identity, LONG state) {
    install();
    for (int i = 0; i < kSlots; ++i) {
        Slot& slot = slots[i];
        if (slot.used) continue;
        slot.path = win32::systemPath(name.native);
        slot.identity = identity;
        ::InterlockedExchange(&slot.used, state);
        return i;
    }
    return -1;
}

int removeAtExit(const FileLocation& name, const FileIdentity& identity) {
    return registerSlot(name, identity, kIdentified);
}

// Windows has no permission bits to tell a new file by.
int removeNewAtExit(const FileLocation& name, unsigned) { return registerSlot(name, FileIdentity(), kBeingCreated); }

void identifyAtExit(int slot, const FileIdentity& identity) {
    if (slot < 0 || slot >= kSlots || slots[slot].used != kBeingCreated) return;
    slots[slot].identity = identity;
    ::InterlockedCompareExchange(&slots[slot].used, kIdentified, kBeingCreated);
}

// Holding the lock file open is the lock, and its holder lets others
// delete it: a file seen before this process holds it may be another run's
// lock, so it is removed only once identified, that is once held.
int removeLockAtExit(const FileLocation& name) { return registerSlot(name, FileIdentity(), kLockPending); }

void identifyLockAtExit(int slot, const FileIdentity& identity, int) {
    if (slot < 0 || slot >= kSlots || slots[slot].used != kLockPending) return;
    slots[slot].identity = identity;
    ::InterlockedCompareExchange(&slots[slot].used, kIdentified, kLockPending);
}

void cutBackAtExit(int descriptor, long long size) {
    install();
    ::InterlockedExchange(&cutBackDescriptor, -1);
    cutBackSize = size;
    ::InterlockedExchange(&cutBackDescriptor, descriptor);
}

void keepAtExit(int slot) {
    if (slot >= 0 && slot < kSlots) ::InterlockedExchange(&slots[slot].used, 0);
}

}  // namespace platform
