#include "platform/file_ops.h"

#include "platform/descriptors.h"
#include "platform/exit_cleanup.h"
#include "platform/working_files.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "platform/partial_copy_record.h"
#include "platform/posix/stat_identity.h"

namespace platform {

static void unlinkQuietly(const std::string& path) {
    int saved = errno;
    ::unlink(path.c_str());
    errno = saved;
}

static bool copyAll(int from, int to) {
    char buffer[65536];
    for (;;) {
        long got = readSome(from, buffer, sizeof buffer);
        if (got < 0) return false;
        if (got == 0) return true;
        if (!writeAll(to, buffer, static_cast<std::size_t>(got))) return false;
    }
}

// Renames `from` to `to`; without `replaceExisting` only while `to` does not
// exist, decided by the system in the same step.
static bool renameFile(const std::string& from, const std::string& to, bool replaceExisting) {
    if (replaceExisting) return ::rename(from.c_str(), to.c_str()) == 0;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without that kind of rename: a new link cannot replace
    // anything either.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

// A fresh name for a copy beside the target `base`: hidden, marked as the
// tool's, with six random characters. The decorated name must still fit the
// file system's limit on names.
static std::string partialCopyBase(std::string base) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 random{std::random_device{}()};
    if (base.size() > 200) base.resize(200);
    std::string name = "." + base + ".txt2vb-";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    for (int i = 0; i < 6; ++i) name += kLetters[pick(random)];
    return name;
}

// Writes the source's bytes into a new, flushed file beside the target and
// renames it over the target, so the target is either the old file or the
// complete new one, never a partial copy.
static bool copyOver(const std::string& source, const std::string& target, bool replaceExisting) {
    int in;
    do {
        in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    } while (in < 0 && errno == EINTR);
    if (in < 0) return false;
    FileFacts facts;
    if (!describeDescriptor(in, facts)) {
        closeDescriptorQuietly(in);
        return false;
    }
    if (!facts.isRegular) {
        // Only file contents can be copied; anything else keeps the
        // rename's answer.
        closeDescriptorQuietly(in);
        errno = EXDEV;
        return false;
    }

    std::size_t slash = target.find_last_of('/');
    std::string directory = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    // The copy is made exclusively and readable by its owner alone; it
    // takes the source's owner and mode only once it is whole, and goes
    // however the process ends until it is in place (after a kill, with
    // the next run that takes the lock).
    FileLocation copy;
    FileFacts made;
    int out = -1;
    int exitSlot = -1;
    for (int attempt = 0; out < 0 && attempt < 100; ++attempt) {
        copy = FileLocation{directory + partialCopyBase(base)};
        recordPartialCopyName(copy);
        exitSlot = removeNewAtExit(copy);
        out = createPrivateFile(copy, made);
        if (out < 0) keepAtExit(exitSlot);
        if (out < 0 && errno != EEXIST) break;
    }
    if (out < 0) {
        recordPartialCopyDone();
        closeDescriptorQuietly(in);
        return false;
    }
    recordPartialCopyIdentity(made.identity);
    identifyAtExit(exitSlot, made.identity);
    const std::string& temporaryName = copy.native;

    bool ok = copyAll(in, out) && copyOwnerAndMode(out, made, facts) && ::fsync(out) == 0;
    closeDescriptorQuietly(in);
    if (!ok) {
        closeDescriptorQuietly(out);
        unlinkQuietly(temporaryName);
        keepAtExit(exitSlot);
        recordPartialCopyDone();
        return false;
    }
    // A failing close can be the first report of a failed write.
    bool placed = ::close(out) == 0 && renameFile(temporaryName, target, replaceExisting);
    if (!placed) unlinkQuietly(temporaryName);
    keepAtExit(exitSlot);
    recordPartialCopyDone();
    return placed;
}

bool moveFile(const FileLocation& source, const FileLocation& target, bool replaceExisting) {
    const std::string& from = source.native;
    const std::string& to = target.native;
    if (renameFile(from, to, replaceExisting)) return true;
    if (errno != EXDEV) return false;
    if (!copyOver(from, to, replaceExisting)) return false;
    // The target is complete; the source goes only now. Should that fail,
    // the move has still happened, the data merely exists twice.
    ::unlink(from.c_str());
    return true;
}

FileIdentity fileIdentity(const FileLocation& location) {
    struct stat info;
    if (::stat(location.native.c_str(), &info) != 0) return FileIdentity();
    return identityOf(info);
}

bool removeFile(const FileLocation& location) { return ::unlink(location.native.c_str()) == 0; }

FileIdentity descriptorIdentity(int descriptor) {
    struct stat info;
    if (::fstat(descriptor, &info) != 0) return FileIdentity();
    return identityOf(info);
}

}  // namespace platform
