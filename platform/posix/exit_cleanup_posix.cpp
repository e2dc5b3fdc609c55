#include "platform/exit_cleanup.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
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
// A lock slot's descriptor: not a lock, or a lock file not opened yet.
constexpr int kNotALock = -2;
constexpr int kLockNotOpen = -1;
struct Slot {
    volatile sig_atomic_t used;
    int directory;  // what `path` is relative to: an open directory or AT_FDCWD
    char path[kPathCapacity];
    dev_t device;
    ino_t inode;
    mode_t permissions;  // those a file being created may have
    volatile sig_atomic_t lockDescriptor;
};
Slot slots[kSlots];
bool installed = false;
// The file to cut back, and its size; -1: none.
volatile sig_atomic_t cutBackDescriptor = -1;
off_t cutBackSize = 0;

// What an exclusive creation with `permissions` leaves (the umask only
// takes bits away): nothing else can be taken for the file the process
// was making.
bool looksJustCreated(const struct stat& info, mode_t permissions) {
    return S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_size == 0 &&
           (info.st_mode & 07777 & ~permissions) == 0 && info.st_uid == ::geteuid();
}

// Whether the lock file of `slot` may go: this process holds its lock, or
// nobody does. Tried without waiting, on the process's own descriptor once
// there is one (where it holds the lock already), else on one of its own.
// `probe` is set to a descriptor to close after the removal, or -1.
bool lockIsFree(const Slot& slot, int& probe) {
    probe = -1;
    const int descriptor = slot.lockDescriptor;
    if (descriptor >= 0) return ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
    probe = ::openat(slot.directory, slot.path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    return probe >= 0 && ::flock(probe, LOCK_EX | LOCK_NB) == 0;
}

// Only calls that are safe in a signal handler.
void removeRegistered() {
    const int append = cutBackDescriptor;
    cutBackDescriptor = -1;
    if (append >= 0) ::ftruncate(append, cutBackSize);
    for (Slot& slot : slots) {
        const sig_atomic_t state = slot.used;
        if (state == kFree) continue;
        slot.used = kFree;
        struct stat info;
        if (::fstatat(slot.directory, slot.path, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        const bool ours = state == kIdentified ? info.st_dev == slot.device && info.st_ino == slot.inode
                                               : looksJustCreated(info, slot.permissions);
        if (!ours) continue;
        int probe = -1;
        if (slot.lockDescriptor == kNotALock || lockIsFree(slot, probe)) ::unlinkat(slot.directory, slot.path, 0);
        if (probe >= 0) ::close(probe);
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
    // SIGPIPE: a reader of standard output or standard error went away.
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
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

static int registerSlot(const FileLocation& name, const FileIdentity& identity, sig_atomic_t state,
                        unsigned permissions = 0600, int lockDescriptor = kNotALock) {
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
        slot.permissions = static_cast<mode_t>(permissions & 0777);
        slot.lockDescriptor = lockDescriptor;
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

int removeNewAtExit(const FileLocation& name, unsigned permissions) {
    return registerSlot(name, FileIdentity(), kBeingCreated, permissions);
}

void identifyAtExit(int slot, const FileIdentity& identity) {
    if (slot < 0 || slot >= kSlots || slots[slot].used != kBeingCreated) return;
    slots[slot].device = static_cast<dev_t>(identity.device);
    slots[slot].inode = static_cast<ino_t>(identity.inode);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slots[slot].used = kIdentified;
}

int removeLockAtExit(const FileLocation& name) {
    return registerSlot(name, FileIdentity(), kBeingCreated, 0600, kLockNotOpen);
}

void identifyLockAtExit(int slot, const FileIdentity& identity, int descriptor) {
    if (slot < 0 || slot >= kSlots || slots[slot].used != kBeingCreated) return;
    slots[slot].lockDescriptor = descriptor;
    identifyAtExit(slot, identity);
}

void cutBackAtExit(int descriptor, long long size) {
    if (!installed) install();
    cutBackDescriptor = -1;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    cutBackSize = static_cast<off_t>(size);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    cutBackDescriptor = descriptor;
}

void keepAtExit(int slot) {
    if (slot >= 0 && slot < kSlots) slots[slot].used = kFree;
}

}  // namespace platform
