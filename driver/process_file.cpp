#include "driver/process_file.h"

#include <cerrno>
#include <cinttypes>
#include <vector>

#include "driver/log_line.h"
#include "driver/run_settings.h"
#include "driver/usage.h"
#include "parser/parser.h"
#include "parser/scan_frame.h"
#include "platform/descriptors.h"
#include "platform/file_lock.h"
#include "platform/file_ops.h"
#include "platform/file_search.h"
#include "platform/process.h"
#include "platform/text_input.h"
#include "platform/text_output.h"

namespace {

const char kCreateError[] = "Erreur de creation du fichier de sortie";

// Runs in replace mode share the fixed temporary name in their working
// directory: a run holds a lock on its report file from its first file to
// its end, and a second run in the same directory waits for it.
platform::ExclusiveFileLock replaceLock;

// Ends the run on a failure. The report file of a replace run goes too: a
// failed run leaves nothing of its own but the partial result of a failed
// parse.
[[noreturn]] void fail(const char* text, int status) {
    if (replaceLock.held()) {
        int saved = errno;
        endReplaceRun();
        errno = saved;
    }
    failWithSystemError(text, status);
}

// The report a move leaves in the redirect file, as the command
// interpreter's move writes it. Every move writes the same line, so it is
// written once per run.
void writeMoveReport() {
    static bool written = false;
    if (written || !replaceLock.held()) return;
    written = true;
    static const char report[] = "        1 file(s) moved.\r\n";
    platform::truncateDescriptor(replaceLock.descriptor(), 0);
    platform::writeAll(replaceLock.descriptor(), report, sizeof report - 1);
}

// The result could not be written whole: nothing of it may stand in for the
// user's data. The append file is cut back to what it held before.
[[noreturn]] void failResult(int errorNumber, int resultFd, long long appendStart) {
    platform::duplicateOnto(oOut, 1);
    if (resultFd >= 0) {
        if (settings.append && appendStart >= 0) platform::truncateDescriptor(resultFd, appendStart);
        platform::closeDescriptor(resultFd);
    }
    if (settings.replace) platform::removeFile(settings.outName, platform::PathLookup::Exact);
    errno = errorNumber;
    fail(kCreateError, -2);
}

void replaceInput(const char* path, std::int64_t resultSize) {
    const std::string newName =
        settings.changeExt ? newExtensionName(path, settings.newExt) : std::string(path);
    if (settings.sizeDelta && !settings.silent) {
        logLine("%s", formatDelta(settings.currentSize, resultSize).c_str());
    }
    // The result takes the new name first; the input goes only once its
    // replacement stands, so a failure at any point loses nothing.
    if (!platform::moveFile(settings.outName, newName, platform::PathLookup::Exact)) {
        int saved = errno;
        platform::removeFile(settings.outName, platform::PathLookup::Exact);
        errno = saved;
        std::string text = "Erreur de remplacement de " + newName;
        fail(text.c_str(), -2);
    }
    writeMoveReport();
    // Under a new name the input goes, unless that name found the input
    // itself (names are looked up ignoring case).
    if (newName != path && platform::fileIdentity(path) != platform::fileIdentity(newName)) {
        platform::removeFile(path);
    }
    if (!settings.silent) logLine("\n");
}

}  // namespace

void endReplaceRun() {
    platform::removeFile(kRedirectName, platform::PathLookup::Exact);
    replaceLock.release();
}

std::int64_t fileSizeOf(const std::string& name) {
    std::vector<platform::DirectoryEntry> entries;
    if (!platform::findFiles(name, entries)) return 0;
    return entries.front().size;
}

void processFile(const char* path) {
    if (settings.append && settings.replace) printUsage(1);
    settings.currentPath = path;
    if (!settings.silent) logLine("Parsing de %s (%" PRId64 " octets) ... ", path, settings.currentSize);

    platform::duplicateOnto(oIn, 0);
    platform::duplicateOnto(oOut, 1);

    int inputFd = platform::openFile(path, settings.inMode);
    if (inputFd < 0) fail(path, -1);
    if (settings.replace && !replaceLock.held() &&
        !replaceLock.acquire(kRedirectName, platform::PathLookup::Exact)) {
        fail(kCreateError, -2);
    }
    int resultFd = -1;
    long long appendStart = -1;
    if (settings.replace || settings.append) {
        // The temporary result is the tool's own name; the append file is
        // the user's, looked up like any path.
        resultFd = platform::openFile(settings.outName.c_str(), settings.outMode,
                                      settings.replace ? platform::PathLookup::Exact : platform::PathLookup::IgnoreCase);
        if (resultFd < 0) fail(kCreateError, -2);
        if (settings.append) appendStart = platform::descriptorSize(resultFd);
        // The result takes the input's place: it keeps the input's
        // permissions, a private file stays private.
        if (settings.replace && !platform::copyPermissions(inputFd, resultFd)) fail(kCreateError, -2);
    }
    platform::duplicateOnto(inputFd, 0);
    if (resultFd >= 0) platform::duplicateOnto(resultFd, 1);
    // The streams must start on this file: nothing buffered from the last.
    platform::standardInput().reset();
    platform::TextOutputStream& out = platform::standardOutput();
    out.flush();
    out.clearError();
    out.resetByteCount();
    ++totals.filesProcessed;

    // A leading UTF-8 byte-order mark is not text. A replaced file keeps it
    // in front of the expression, so that editors still read it as UTF-8;
    // the console and the append file get the expression alone.
    if (platform::standardInput().skipByteOrderMark() && settings.replace) {
        out.writeRaw(platform::kUtf8ByteOrderMark, platform::kUtf8ByteOrderMarkSize);
    }
    beginFileScan();
    beforeParse();
    if (yy_parse_input() != 0) fail("Erreur de parsing\n", -3);
    endFileScan();
    afterParse();

    platform::duplicateOnto(oIn, 0);
    platform::closeDescriptor(inputFd);
    bool written = out.flush();
    std::int64_t resultSize = static_cast<std::int64_t>(out.bytesWritten());

    if (resultFd < 0) {
        if (!written) {
            errno = out.errorNumber();
            fail("Erreur d'ecriture sur la sortie standard", -2);
        }
        if (settings.sizeDelta) totals.bytesOut += resultSize;
        return;
    }
    if (!written) failResult(out.errorNumber(), resultFd, appendStart);
    platform::duplicateOnto(oOut, 1);
    if (!platform::closeDescriptorChecked(resultFd)) failResult(errno, -1, -1);
    // In replace mode the delta reports the closed result's size as the
    // file system gives it.
    if (settings.replace && settings.sizeDelta) resultSize = fileSizeOf(settings.outName);
    if (settings.sizeDelta) totals.bytesOut += resultSize;
    if (settings.replace) replaceInput(path, resultSize);
}
