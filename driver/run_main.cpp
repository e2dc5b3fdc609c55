#include "driver/run_main.h"

#include <cerrno>
#include <new>

#include "driver/options.h"
#include "driver/real_file_system.h"
#include "driver/reporter.h"
#include "driver/run.h"
#include "driver/usage.h"
#include "platform/console.h"
#include "platform/process.h"
#include "platform/text_output.h"

namespace {

// A run whose only input is standard input is a filter: an editor that
// captures standard error too would get the progress line in its buffer.
bool isFilter(const Options& options) {
    for (const std::string& file : options.files) {
        if (!isStandardInputArgument(file)) return false;
    }
    return !options.files.empty();
}

// Converts what the options select; the failure that ended the run, or the
// summary and the run's status.
int convertSelected(const Options& options, FileSystem& files, Reporter& reporter, platform::TextOutputStream& console,
                    bool consoleClosed) {
    // The console mode writes to standard output: one the tool was started
    // without (the null device stands in for it) would swallow every result.
    if (!options.settings.replace && !options.settings.append && consoleClosed) {
        reporter.failure(Failure{ExitStatus::OutputFailed, kStandardOutputError, EBADF});
        return static_cast<int>(ExitStatus::OutputFailed);
    }
    Run run(options, files, reporter, console);
    const Failure failure = run.execute();
    if (failure.failed()) {
        reporter.failure(failure);
        return static_cast<int>(failure.status);
    }
    const RunTotals& totals = run.totals();
    reporter.summary(totals.filesProcessed, options.settings.sizeDelta != 0, totals.bytesIn, totals.bytesOut);
    return static_cast<int>(run.endStatus());
}

}  // namespace

int runTool(int argc, const char* const* argv, FileSystem& files, platform::ByteSink& messages,
            platform::TextOutputStream& console, bool consoleClosed) {
    int status;
    try {
        const OptionsRead read = readOptions(argc, argv);
        const Options& options = read.options;
        if (read.refusal.failed()) {
            if (read.withUsage) console.writeText(usageText(options.progPath).c_str());
            Reporter(messages, false).failure(read.refusal);
            status = static_cast<int>(read.refusal.status);
        } else if (options.request == Options::Request::Usage) {
            console.writeText(usageText(options.progPath).c_str());
            status = static_cast<int>(ExitStatus::Normal);
        } else if (options.request == Options::Request::Version) {
            console.writeText(versionText().c_str());
            status = static_cast<int>(ExitStatus::Normal);
        } else {
            Reporter reporter(messages, options.settings.silent != 0 || isFilter(options));
            status = convertSelected(options, files, reporter, console, consoleClosed);
        }
    } catch (const std::bad_alloc&) {
        // What the run held was let go on the way here; the exit removes
        // the working files left.
        Reporter(messages, false)
            .failure(textFailure("Pas assez de m" TXT2VB_E_ACUTE "moire", ExitStatus::ScannerFatal));
        status = static_cast<int>(ExitStatus::ScannerFatal);
    }
    console.flush();
    return status;
}

int runMain(int argc, char** argv) {
    RealFileSystem files;
    StandardError standardError;
    return runTool(argc, argv, files, standardError, platform::standardOutput(), platform::startedClosed(1));
}
