#include "driver/run_main.h"

#include <cerrno>

#include "driver/command_line.h"
#include "driver/decode_file.h"
#include "driver/failure.h"
#include "driver/file_sets.h"
#include "driver/log_line.h"
#include "driver/named_options.h"
#include "driver/output_mode.h"
#include "driver/output_options.h"
#include "driver/run_settings.h"
#include "driver/size_delta.h"
#include "driver/standard_input.h"
#include "driver/usage.h"
#include "platform/console.h"
#include "platform/descriptors.h"
#include "platform/process.h"
#include "platform/text_output.h"

namespace {

void printSummary() {
    if (settings.sizeDelta) {
        logLine("%d fichiers pars" TXT2VB_E_ACUTE "s %s\n", totals.filesProcessed,
                formatDelta(totals.bytesIn, totals.bytesOut).c_str());
    } else {
        logLine("%d fichiers pars" TXT2VB_E_ACUTE "s\n", totals.filesProcessed);
    }
}

}  // namespace

void releaseAll() {
    settings.progPath.clear();
    settings.newExt.clear();
    clearNamedOptions();
    clearFileSets();
}

int runMain(int argc, char** argv) {
    settings.progPath = argc > 0 && argv[0] != nullptr ? argv[0] : "";
    clearFileSets();
    settings.inMode = platform::OpenMode::Read;
    settings.outMode = platform::OpenMode::Overwrite;
    totals.bytesOut = 0;
    totals.bytesIn = 0;
    if (argc < 2) printUsage(ExitStatus::Normal);

    oIn = platform::duplicateDescriptor(0);
    if (oIn < 0) failWithSystemError("1 - _dup2(0, oIn)", ExitStatus::OpenFailed);
    oOut = platform::duplicateDescriptor(1);
    if (oOut < 0) failWithSystemError("2 - _dup2(1, oOut)", ExitStatus::OpenFailed);

    ArgumentReader reader;
    bool fileArgumentSeen = false;
    for (int i = 1; i < argc; ++i) {
        if (isStandardInputArgument(argv[i])) {
            selectStandardInput(fileArgumentSeen);
            continue;
        }
        const bool fileArgument = reader.optionsEnded || !platform::isOptionPrefix(argv[i][0]);
        readArgument(argv[i], reader);
        if (fileArgument) fileArgumentSeen = true;
    }
    refuseStandardInputUnderReplace();
    // The console mode writes to standard output: one the tool was started
    // without (the null device stands in for it) would swallow every
    // result.
    if (!settings.replace && !settings.append && platform::startedWithoutStandardOutput()) {
        errno = EBADF;
        failWithSystemError(kStandardOutputError, ExitStatus::OutputFailed);
    }

    applyOutputOptions();
    if (settings.silent) settings.verbose = 0;
    settings.decode = decodeRequested() ? 1 : 0;
    totals.filesProcessed = 0;
    completeFileSets();
    OutputMode& mode = outputMode();
    // A failure that ends the run comes back here from wherever it met the
    // run, and is printed once, with its status.
    Failure failure = mode.begin();
    if (!failure.failed()) failure = convertStandardInput(false);
    if (!failure.failed()) failure = walkFileSets();
    if (!failure.failed()) failure = convertStandardInput(true);
    if (failure.failed()) endRun(failure);

    if (!settings.silent) printSummary();
    mode.end();
    releaseAll();
    platform::standardOutput().flush();
    return static_cast<int>(runEndStatus());
}
