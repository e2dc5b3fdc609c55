#include "driver/process_file.h"

#include <cerrno>
#include <cinttypes>

#include "driver/decode_file.h"
#include "driver/file_system.h"
#include "driver/log_line.h"
#include "driver/output_mode.h"
#include "driver/run_settings.h"
#include "driver/usage.h"
#include "parser/convert_input.h"
#include "parser/decode_input.h"
#include "platform/console.h"
#include "platform/descriptors.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "platform/working_files.h"

namespace {

// A file that is to be replaced, or that a wildcard matched, must be a
// plain file: the open cannot wait, and what it opened is looked at before
// anything else happens.
bool mustBePlainFile(const OutputMode& mode, const SelectedFile& file) {
    return mode.plainFilesOnly() || file.fromSearch;
}

// A failure after the input was opened: the streams let go of the input
// and the result, the input is closed and nothing of the result stays.
Failure giveUp(OutputMode& mode, OpenedInput& opened, int resultFd, const Failure& failure) {
    platform::standardInput().attach(0, false);
    platform::TextOutputStream& out = platform::standardOutput();
    if (resultFd >= 0 && out.descriptor() == resultFd) {
        out.discard();
        out.attach(1);
    }
    closeSelected(opened);
    mode.abandon(resultFd);
    return failure;
}

}  // namespace

OpenedInput openSelected(const SelectedFile& file) {
    const OutputMode& mode = outputMode();
    const bool plainOnly = mustBePlainFile(mode, file);
    OpenedInput opened;
    // A file to be replaced is opened without following a link: one put in
    // its place since the listing fails the open (ELOOP).
    FileSystem& files = fileSystem();
    opened.fd = files.openInput(file.location, plainOnly, mode.followsLinks());
    if (opened.fd >= 0 && !files.describeDescriptor(opened.fd, opened.facts)) {
        opened.error = errno;
        files.closeDescriptor(opened.fd);
        opened.fd = -1;
    } else if (opened.fd < 0) {
        opened.error = errno;
    }
    return opened;
}

void closeSelected(OpenedInput& opened) {
    if (opened.fd >= 0) fileSystem().closeDescriptor(opened.fd);
    opened.fd = -1;
}

Failure processFile(const SelectedFile& file, OpenedInput& opened) {
    if (settings.append && settings.replace) printUsage(ExitStatus::CommandLineError);
    const char* path = file.path.c_str();
    settings.currentPath = path;
    OutputMode& mode = outputMode();

    const int inputFd = opened.fd;
    const platform::FileFacts& input = opened.facts;
    if (inputFd >= 0 && mustBePlainFile(mode, file) && !input.isRegular) {
        closeSelected(opened);
        noticePassedOver(file.path, kSpecialNotice);
        return Failure();
    }
    if (inputFd >= 0 && !mode.prepare(file, input)) {
        closeSelected(opened);
        return Failure();
    }

    // -decode: the whole input is decoded before anything is made or
    // written, so an input that is no expression leaves no trace.
    std::string decoded;
    if (settings.decode && inputFd >= 0 && !decodeSelected(file, opened, mode.byteOrderMark(), decoded)) {
        return Failure();
    }

    if (!settings.silent) logLine("Parsing de %s (%" PRId64 " octets) ... ", path, settings.currentSize);
    // Every failure below ends the run, once it is known.
    if (inputFd < 0) return Failure{ExitStatus::OpenFailed, file.path, opened.error};
    int resultFd = -1;
    const Failure opening = mode.open(file, input, resultFd);
    if (opening.failed()) return giveUp(mode, opened, -1, opening);
    // The text streams read the input and write the result themselves; the
    // process's standard descriptors stay as they are.
    platform::TextInputStream& in = platform::standardInput();
    platform::TextOutputStream& out = platform::standardOutput();
    in.attach(inputFd, input.isRegular, input.size);
    // Only text is replaced: the stream judges the input as it reads it.
    if (mode.textOnly()) in.requireText();
    if (resultFd >= 0) out.attach(resultFd);
    // A leading UTF-8 byte-order mark is not text. A replaced file keeps it
    // in front of the expression, so that editors still read it as UTF-8;
    // the console and the append file get the expression alone.
    if (settings.decode) {
        writeDecodedText(decoded);
    } else if (convertInput(mode.byteOrderMark()) != 0) {
        return giveUp(mode, opened, resultFd, systemFailure("Erreur de parsing\n", ExitStatus::ParseFailed));
    }
    const bool isText = in.isText();
    in.attach(0, false);
    // A NUL byte, or bytes after the 0x1A that ends the text: the input is
    // no text, the conversion stopped there, and it stays as it is.
    if (mode.textOnly() && !isText) {
        giveUp(mode, opened, resultFd, Failure());
        if (!settings.silent) logLine("\n");
        noticePassedOver(file.path, kBinaryNotice);
        return Failure();
    }
    const bool written = out.flush();
    const int writeError = out.errorNumber();
    const std::int64_t resultSize = static_cast<std::int64_t>(out.bytesWritten());
    if (resultFd >= 0) out.attach(1);

    // After the conversion and before the commit, the result may still be
    // given up: nothing of it then stays.
    if (!written) {
        return giveUp(mode, opened, resultFd,
                      Failure{ExitStatus::OutputFailed,
                              resultFd < 0 ? kStandardOutputError : kOutputFileError,
                              writeError});
    }
    // The summary compares the files converted with their results: one
    // passed over (binary, or its new name taken) counts in neither.
    ++totals.filesProcessed;
    totals.bytesIn += settings.currentSize;
    const Failure committing = mode.commit(file, opened, resultFd, resultSize);
    // A commit that failed before it let go of the input.
    closeSelected(opened);
    return committing;
}
