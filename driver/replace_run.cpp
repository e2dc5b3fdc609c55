#include "driver/replace_run.h"

#include <cerrno>
#include <functional>
#include <unordered_set>
#include <utility>

#include "driver/exit_status.h"
#include "driver/log_line.h"
#include "driver/run_settings.h"
#include "platform/exit_cleanup.h"
#include "platform/file_lock.h"
#include "platform/file_ops.h"
#include "platform/names.h"

namespace {

const char kCreateError[] = "Erreur de creation du fichier de sortie";

using IdentityKey = std::pair<std::uint64_t, std::uint64_t>;
IdentityKey keyOf(const platform::FileIdentity& identity) { return {identity.device, identity.inode}; }
struct IdentityHash {
    std::size_t operator()(const IdentityKey& key) const {
        return std::hash<std::uint64_t>()(key.second * 0x9E3779B97F4A7C15ULL ^ key.first);
    }
};

// Runs in replace mode share the fixed working names of their directory:
// a run holds the lock from before its first input to its end.
platform::ExclusiveFileLock replaceLock;
const platform::FileLocation tempResult = platform::locateName(platform::FileLocation(), kTempResultName);
platform::FileIdentity tempIdentity;
int tempExitSlot = -1;
// Looked up for every entry of every listing: a hash set, not a tree.
std::unordered_set<IdentityKey, IdentityHash> replaced;

[[noreturn]] void refuseWorkingFile(const std::string& why) {
    logLine("%s: %s\n", kCreateError, why.c_str());
    exitWith(ExitStatus::OutputFailed);
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (platform::lowerAscii(a[i]) != platform::lowerAscii(b[i])) return false;
    }
    return true;
}

}  // namespace

void beginReplaceRun() {
    std::string why;
    const platform::FileLocation lockName = platform::locateName(platform::FileLocation(), kRedirectName);
    if (!replaceLock.acquire(lockName, &why)) refuseWorkingFile(why);
    // Under the lock, a plain file under the temporary name is what a
    // killed run left: it goes.
    if (!platform::clearWorkingName(tempResult, &why)) refuseWorkingFile(why);
}

void endReplaceRun() { replaceLock.release(); }

bool replacedThisRun(const platform::FileIdentity& identity) {
    return identity.exists && replaced.count(keyOf(identity)) != 0;
}

bool isWorkingFile(const platform::FileIdentity& identity) {
    return identity == replaceLock.identity() || identity == tempIdentity;
}

int createTempResult(const platform::FileFacts& input, platform::FileFacts& made) {
    // Registered first, so that however the run ends from the moment the
    // file exists, it goes: made private or with the input's permissions.
    tempExitSlot = platform::removeNewAtExit(tempResult, (input.mode & 0777) | 0600);
    int fd = platform::createResultFile(tempResult, input, made);
    if (fd < 0 && errno == EEXIST) {
        // Something was put there since the run began: a plain file is
        // taken over, anything else ends the run.
        std::string why;
        if (!platform::clearWorkingName(tempResult, &why)) {
            platform::keepAtExit(tempExitSlot);
            refuseWorkingFile(why);
        }
        fd = platform::createResultFile(tempResult, input, made);
    }
    if (fd < 0) {
        platform::keepAtExit(tempExitSlot);
        tempExitSlot = -1;
        failWithSystemError(kCreateError, ExitStatus::OutputFailed);
    }
    tempIdentity = made.identity;
    platform::identifyAtExit(tempExitSlot, tempIdentity);
    return fd;
}

void discardTempResult() {
    int saved = errno;
    if (tempIdentity.exists) platform::removeIfSame(tempResult, tempIdentity);
    platform::keepAtExit(tempExitSlot);
    tempExitSlot = -1;
    tempIdentity = platform::FileIdentity();
    errno = saved;
}

bool placeTempResult(const platform::FileLocation& target, const platform::FileIdentity& input, bool overInput) {
    if (!platform::moveFile(tempResult, target, overInput)) return false;
    platform::keepAtExit(tempExitSlot);
    tempExitSlot = -1;
    replaced.insert(keyOf(input));
    replaced.insert(keyOf(tempIdentity));
    tempIdentity = platform::FileIdentity();
    return true;
}

bool chooseTarget(const platform::FileLocation& directory, const std::string& newBase,
                  const platform::FileIdentity& input, platform::FileLocation& target, bool& overInput) {
    platform::FileLocation found;
    if (platform::findName(directory, newBase, found)) {
        platform::FileIdentity identity = platform::fileIdentity(found);
        // The new name found the input itself (it differs only in case):
        // the result simply takes the input's place, under the input's name.
        if (identity == input && !replacedThisRun(identity)) return true;
        return false;
    }
    // The temporary result does not exist between two files, yet its name
    // is the run's own.
    if (sameNameIgnoringCase(newBase, kTempResultName) &&
        platform::fileIdentity(directory) == platform::fileIdentity(platform::FileLocation{"."})) {
        return false;
    }
    target = platform::locateName(directory, newBase);
    overInput = false;
    return true;
}
