#include "platform/exit_cleanup.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/open_directory.h"

namespace platform {

namespace {

// Plain storage a signal handler may read: fixed slots, each a path and
// the identity the file had when it was registered.
constexpr int kSlots = 4;
constexpr std::size_t kPathCapacity = 4096;
enum SlotState : sig_atomic_t { kFree = 0, kIdentified = 1, kBeingCreated = 2 };
struct Slot {
    volatile sig_atomic_t used;
    int directory;  // what `path` is relative to: an open directory or AT_FDCWD
    char path[kPathCapacity];
    dev_t device;
    ino_t inode;
};
Slot slots[kSlots];
bool installed = false;

// What an exclusive creation with mode 0600 leaves: nothing else can be
// taken for the file the process was making.
bool looksJustCreated(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_size == 0 && (info.st_mode & 077) == 0 &&
           info.st_uid == ::geteuid();
}

// Only calls that are safe in a signal handler.
void removeRegistered() {
    for (Slot& slot : slots) {
        const sig_atomic_t state = slot.used;
        if (state == kFree) continue;
        slot.used = kFree;
        struct stat info;
        if (::fstatat(slot.directory, slot.path, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        const bool ours = state == kIdentified ? info.st_dev == slot.device && info.st_ino == slot.inode
                                               : looksJustCreated(info);
        if (ours) ::unlinkat(slot.directory, slot.path, 0);
    }
}

void onSignal(int signalNumber) {
    removeRegistered();
    // Ends as the signal would have ended it, so the parent sees why.
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

void install() {
    installed = true;
    std::atexit(removeRegistered);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        // A signal that was ignored when the tool started stays ignored.
        struct sigaction previous;
        if (::sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

}  // namespace

static int registerSlot(const FileLocation& name, const FileIdentity& identity, sig_atomic_t state) {
    if (!installed) install();
    // The open directory of a name found in one stays open while the name
    // is registered: whoever registered it holds the location.
    const char* path = pathOf(name);
    const std::size_t length = std::strlen(path);
    if (length >= kPathCapacity) return -1;
    for (int i = 0; i < kSlots; ++i) {
        Slot& slot = slots[i];
        if (slot.used) continue;
        std::memcpy(slot.path, path, length + 1);
        slot.directory = baseOf(name);
        slot.device = static_cast<dev_t>(identity.device);
        slot.inode = static_cast<ino_t>(identity.inode);
        // The handler sees the slot in use only once it is complete.
        std::atomic_signal_fence(std::memory_order_seq_cst);
        slot.used = state;
        return i;
    }
    return -1;
}

int removeAtExit(const FileLocation& name, const FileIdentity& identity) {
    return registerSlot(name, identity, kIdentified);
}

int removeNewAtExit(const FileLocation& name) { return registerSlot(name, FileIdentity(), kBeingCreated); }

void identifyAtExit(int slot, const FileIdentity& identity) {
    if (slot < 0 || slot >= kSlots || slots[slot].used != kBeingCreated) return;
    slots[slot].device = static_cast<dev_t>(identity.device);
    slots[slot].inode = static_cast<ino_t>(identity.inode);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slots[slot].used = kIdentified;
}

void keepAtExit(int slot) {
    if (slot >= 0 && slot < kSlots) slots[slot].used = kFree;
}

}  // namespace platform
