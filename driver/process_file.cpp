#include "driver/process_file.h"

#include <cerrno>
#include <cinttypes>

#include "driver/log_line.h"
#include "driver/new_name.h"
#include "driver/replace_run.h"
#include "driver/run_settings.h"
#include "driver/size_delta.h"
#include "driver/usage.h"
#include "parser/convert_input.h"
#include "platform/console.h"
#include "platform/descriptors.h"
#include "platform/file_ops.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "platform/working_files.h"

namespace {

const char kCreateError[] = "Erreur de creation du fichier de sortie";

// The result could not be written whole: nothing of it may stand in for the
// user's data. The append file is cut back to what it held before.
[[noreturn]] void failResult(int errorNumber, int resultFd, long long appendStart) {
    platform::standardOutput().attach(1);
    if (resultFd >= 0) {
        if (settings.append && appendStart >= 0) platform::truncateDescriptor(resultFd, appendStart);
        platform::closeDescriptor(resultFd);
    }
    if (settings.replace) discardResult();
    errno = errorNumber;
    failWithSystemError(kCreateError, ExitStatus::OutputFailed);
}

// Where a replaced file's result goes: over the input, or under -e to the
// free new name `newName` of the input's directory.
struct Target {
    platform::FileLocation location;
    std::string newName;  // empty: over the input
};

void replaceInput(const SelectedFile& file, const platform::FileIdentity& input, const Target& target,
                  std::int64_t resultSize) {
    if (settings.sizeDelta && !settings.silent) {
        logLine("%s", formatDelta(settings.currentSize, resultSize).c_str());
    }
    // The result takes the new name first; the input goes only once its
    // replacement stands, so a failure at any point loses nothing.
    if (!placeResult(target.location, target.newName)) {
        discardResult();
        const std::string newName = settings.changeExt ? newExtensionName(file.path, settings.newExt) : file.path;
        std::string text = "Erreur de remplacement de " + newName;
        failWithSystemError(text.c_str(), ExitStatus::OutputFailed);
    }
    const bool inputRemoved = target.newName.empty() || platform::removeIfSame(file.location, input);
    const int error = errno;
    if (!settings.silent) logLine("\n");
    if (inputRemoved) return;
    // The input stays as it was, so its result must not stand beside it
    // under the new name.
    withdrawResult(target.location);
    logLine("!!! Suppression impossible de %s: %s\n", file.path.c_str(), platform::errorText(error));
}

// Under -e: where the result goes, or false (with the notice given) when
// the new name finds a file the run must not replace.
bool targetFor(const SelectedFile& file, const platform::FileIdentity& input, Target& target) {
    target.location = file.location;
    target.newName.clear();
    if (!settings.changeExt) return true;
    const std::string newBase = newExtensionName(file.name, settings.newExt);
    bool overInput = true;
    if (chooseTarget(file.directory, newBase, input, target.location, overInput)) {
        if (!overInput) target.newName = newBase;
        return true;
    }
    logLine("!!! Parsing impossible de %s (%s existe)\n", file.path.c_str(),
            newExtensionName(file.path, settings.newExt).c_str());
    return false;
}

void noticeNotPlainFile(const std::string& path) {
    logLine("!!! Parsing impossible de %s (fichier sp" TXT2VB_E_ACUTE "cial)\n", path.c_str());
}

}  // namespace

OpenedInput openSelected(const SelectedFile& file) {
    // A file that is to be replaced, or that a wildcard matched, must be a
    // plain file: the open cannot wait, and what it opened is looked at
    // before anything else happens.
    const bool plainOnly = settings.replace || file.fromSearch;
    OpenedInput opened;
    // A file to be replaced is opened without following a link: one put in
    // its place since the listing fails the open (ELOOP).
    opened.fd = platform::openInput(file.location, plainOnly, !settings.replace);
    if (opened.fd >= 0 && !platform::describeDescriptor(opened.fd, opened.facts)) {
        opened.error = errno;
        platform::closeDescriptor(opened.fd);
        opened.fd = -1;
    } else if (opened.fd < 0) {
        opened.error = errno;
    }
    return opened;
}

void closeSelected(OpenedInput& opened) {
    if (opened.fd >= 0) platform::closeDescriptor(opened.fd);
    opened.fd = -1;
}

void processFile(const SelectedFile& file, OpenedInput& opened) {
    if (settings.append && settings.replace) printUsage(ExitStatus::CommandLineError);
    const char* path = file.path.c_str();
    settings.currentPath = path;

    const bool plainOnly = settings.replace || file.fromSearch;
    const int inputFd = opened.fd;
    const platform::FileFacts& input = opened.facts;
    if (inputFd >= 0 && plainOnly && !input.isRegular) {
        closeSelected(opened);
        noticeNotPlainFile(file.path);
        return;
    }
    Target target;
    if (inputFd >= 0 && settings.replace && !targetFor(file, input.identity, target)) {
        closeSelected(opened);
        return;
    }

    if (!settings.silent) logLine("Parsing de %s (%" PRId64 " octets) ... ", path, settings.currentSize);
    if (inputFd < 0) {
        errno = opened.error;
        failWithSystemError(path, ExitStatus::OpenFailed);
    }

    int resultFd = -1;
    long long appendStart = -1;
    platform::FileFacts made;
    if (settings.replace) {
        resultFd = createResult(file.directory, file.name, made);
    } else if (settings.append) {
        resultFd = platform::openFile(settings.outName.c_str(), settings.outMode);
        if (resultFd < 0) failWithSystemError(kCreateError, ExitStatus::OutputFailed);
        appendStart = platform::descriptorSize(resultFd);
    }
    // The text streams read the input and write the result themselves; the
    // process's standard descriptors stay as they are.
    platform::TextInputStream& in = platform::standardInput();
    platform::TextOutputStream& out = platform::standardOutput();
    in.attach(inputFd, input.isRegular, input.size);
    if (resultFd >= 0) out.attach(resultFd);
    ++totals.filesProcessed;
    // A leading UTF-8 byte-order mark is not text. A replaced file keeps it
    // in front of the expression, so that editors still read it as UTF-8;
    // the console and the append file get the expression alone.
    const ByteOrderMark mark = settings.replace ? ByteOrderMark::Keep : ByteOrderMark::Drop;
    if (convertInput(mark) != 0) failWithSystemError("Erreur de parsing\n", ExitStatus::ParseFailed);

    in.attach(0, false);
    bool written = out.flush();
    std::int64_t resultSize = static_cast<std::int64_t>(out.bytesWritten());

    if (resultFd < 0) {
        closeSelected(opened);
        if (!written) {
            errno = out.errorNumber();
            failWithSystemError("Erreur d'ecriture sur la sortie standard", ExitStatus::OutputFailed);
        }
        if (settings.sizeDelta) totals.bytesOut += resultSize;
        return;
    }
    if (!written) failResult(out.errorNumber(), resultFd, appendStart);
    out.attach(1);
    // The result was private while it was written; now it takes what the
    // input has, as far as the process may: owner, group, extended
    // attributes, ACL and mode.
    if (settings.replace && !platform::copyAttributes(resultFd, made, inputFd, input)) {
        failResult(errno, resultFd, -1);
    }
    closeSelected(opened);
    if (!platform::closeDescriptorChecked(resultFd)) failResult(errno, -1, -1);
    if (settings.sizeDelta) totals.bytesOut += resultSize;
    if (settings.replace) replaceInput(file, input.identity, target, resultSize);
}
