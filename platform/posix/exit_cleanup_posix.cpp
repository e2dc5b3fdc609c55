#include "platform/exit_cleanup.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Plain storage a signal handler may read: fixed slots, each a path and
// the identity the file had when it was registered.
constexpr int kSlots = 4;
constexpr std::size_t kPathCapacity = 4096;
struct Slot {
    volatile sig_atomic_t used;
    char path[kPathCapacity];
    dev_t device;
    ino_t inode;
};
Slot slots[kSlots];
bool installed = false;

// Only calls that are safe in a signal handler.
void removeRegistered() {
    for (Slot& slot : slots) {
        if (!slot.used) continue;
        slot.used = 0;
        struct stat info;
        if (::lstat(slot.path, &info) == 0 && info.st_dev == slot.device && info.st_ino == slot.inode) {
            ::unlink(slot.path);
        }
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

int removeAtExit(const FileLocation& name, const FileIdentity& identity) {
    if (!installed) install();
    if (name.native.size() >= kPathCapacity) return -1;
    for (int i = 0; i < kSlots; ++i) {
        Slot& slot = slots[i];
        if (slot.used) continue;
        std::memcpy(slot.path, name.native.c_str(), name.native.size() + 1);
        slot.device = static_cast<dev_t>(identity.device);
        slot.inode = static_cast<ino_t>(identity.inode);
        slot.used = 1;
        return i;
    }
    return -1;
}

void keepAtExit(int slot) {
    if (slot >= 0 && slot < kSlots) slots[slot].used = 0;
}

}  // namespace platform
