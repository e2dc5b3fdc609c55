#include "driver/replace_run.h"

#include <cerrno>
#include <functional>
#include <set>
#include <unordered_set>
#include <utility>

#include "driver/exit_status.h"
#include "driver/file_system.h"
#include "driver/log_line.h"
#include "platform/exit_cleanup.h"
#include "platform/file_lock.h"
#include "platform/names.h"

namespace {

// Names are drawn at random; a clash means someone else's file stands
// there, and another name is drawn.
constexpr int kNameAttempts = 100;

using IdentityKey = std::pair<std::uint64_t, std::uint64_t>;
IdentityKey keyOf(const platform::FileIdentity& identity) { return {identity.device, identity.inode}; }
struct IdentityHash {
    std::size_t operator()(const IdentityKey& key) const {
        return std::hash<std::uint64_t>()(key.second * 0x9E3779B97F4A7C15ULL ^ key.first);
    }
};

// Runs in replace mode in one working directory go one after the other: a
// run holds the lock from before its first input to its end.
platform::ExclusiveFileLock replaceLock;

// The result under way: its working name, identity and cleanup slot.
struct Pending {
    platform::FileLocation location;
    platform::FileIdentity identity;
    platform::FileLocation directory;
    int exitSlot = -1;
};
Pending pending;
// The result put in place last.
platform::FileIdentity lastPlaced;

// Looked up for every entry of every listing: a hash set, not a tree.
std::unordered_set<IdentityKey, IdentityHash> results;
// The names results were given under -e, folded to lower case, with the
// identity of their directory.
std::set<std::pair<IdentityKey, std::string>> resultNames;

void forgetPending() {
    platform::keepAtExit(pending.exitSlot);
    pending = Pending();
}

}  // namespace

Failure beginReplaceRun() {
    std::string why;
    const platform::FileLocation lockName = platform::locateName(platform::FileLocation(), platform::kLockFileName);
    if (replaceLock.acquire(lockName, &why)) return Failure();
    return textFailure(std::string(kOutputFileError) + ": " + why, ExitStatus::OutputFailed);
}

void endReplaceRun() { replaceLock.release(); }

void forgetResults() {
    results.clear();
    resultNames.clear();
    lastPlaced = platform::FileIdentity();
}

bool replacedThisRun(const platform::FileIdentity& identity) {
    return identity.exists && results.count(keyOf(identity)) != 0;
}

bool isWorkingFile(const platform::FileIdentity& identity) {
    return identity == replaceLock.identity() || identity == pending.identity;
}

Failure createResult(const platform::FileLocation& directory, const std::string& inputName, int& fd,
                     platform::FileFacts& made) {
    FileSystem& files = fileSystem();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const platform::FileLocation location = files.locateName(directory, platform::resultNameFor(inputName));
        // Registered first, so that however the run ends from the moment
        // the file exists, it goes.
        const int slot = platform::removeNewAtExit(location);
        fd = files.createPrivateFile(location, made);
        if (fd >= 0) {
            platform::identifyAtExit(slot, made.identity);
            pending.location = location;
            pending.identity = made.identity;
            pending.directory = directory;
            pending.exitSlot = slot;
            return Failure();
        }
        const int error = errno;
        platform::keepAtExit(slot);
        errno = error;
        if (error != EEXIST) break;
    }
    return systemFailure(kOutputFileError, ExitStatus::OutputFailed);
}

void discardResult() {
    const int saved = errno;
    if (pending.identity.exists) fileSystem().removeIfSame(pending.location, pending.identity);
    forgetPending();
    errno = saved;
}

bool placeResult(const platform::FileLocation& target, const std::string& newName) {
    const bool overInput = newName.empty();
    if (!fileSystem().renameIfSame(pending.location, pending.identity, target, overInput)) return false;
    results.insert(keyOf(pending.identity));
    lastPlaced = pending.identity;
    if (!overInput) {
        resultNames.emplace(keyOf(fileSystem().fileIdentity(pending.directory)), platform::foldedCase(newName));
    }
    forgetPending();
    return true;
}

void withdrawResult(const platform::FileLocation& target) {
    const int saved = errno;
    if (fileSystem().removeIfSame(target, lastPlaced)) results.erase(keyOf(lastPlaced));
    lastPlaced = platform::FileIdentity();
    errno = saved;
}

bool chooseTarget(const platform::FileLocation& directory, const std::string& newBase,
                  const platform::FileIdentity& input, platform::FileLocation& target, bool& overInput) {
    // A name a result of this run was given counts as taken, in any case,
    // whatever the directory's listing (read once a run) says.
    const IdentityKey directoryKey = keyOf(fileSystem().fileIdentity(directory));
    if (resultNames.count({directoryKey, platform::foldedCase(newBase)}) != 0) return false;
    platform::FileLocation found;
    if (fileSystem().findName(directory, newBase, found)) {
        platform::FileIdentity identity = fileSystem().fileIdentity(found);
        // The new name found the input itself (it differs only in case):
        // the result simply takes the input's place, under the input's name.
        return identity == input && !replacedThisRun(identity);
    }
    // A working file's name is never given to a result.
    if (platform::isWorkingFileName(newBase)) return false;
    target = fileSystem().locateName(directory, newBase);
    overInput = false;
    return true;
}
