#include "driver/command_line.h"

#include <cinttypes>
#include <cstring>

#include "driver/file_sets.h"
#include "driver/log_line.h"
#include "driver/named_options.h"
#include "driver/process_file.h"
#include "driver/run_settings.h"
#include "driver/usage.h"
#include "platform/console.h"
#include "platform/descriptors.h"
#include "platform/file_ops.h"
#include "platform/text_output.h"

namespace {

void applyLetterOption(char letter, const char* value) {
    switch (letter) {
        case '?':
            printUsage(0);
        case 'a':
        case 'A':
            settings.append = 1;
            // The whole name is kept: a cut name would send the results to
            // another file than the one asked for.
            settings.appendName = value != nullptr ? value : "";
            settings.outName = settings.appendName;
            settings.outMode = "a+";
            break;
        case 'd':
        case 'D':
            settings.traceDirs = 1;
            break;
        case 'e':
        case 'E':
            settings.changeExt = 1;
            if (value != nullptr) settings.newExt = value;
            break;
        case 'l':
        case 'L':
            settings.sizeDelta = 1;
            break;
        case 'r':
        case 'R':
            settings.replace = 1;
            settings.outName = kTempResultName;
            break;
        case 's':
        case 'S':
            settings.silent = 1;
            break;
        case 't':
        case 'T':
            settings.recursive = 1;
            break;
        case 'v':
        case 'V':
            settings.verbose = 1;
            break;
        default:
            break;  // letters outside the table are ignored
    }
}

void printSummary() {
    if (settings.sizeDelta) {
        logLine("%d fichiers pars" TXT2VB_E_ACUTE "s %s\n", totals.filesProcessed,
                formatDelta(totals.bytesIn, totals.bytesOut).c_str());
    } else {
        logLine("%d fichiers pars" TXT2VB_E_ACUTE "s\n", totals.filesProcessed);
    }
}

}  // namespace

void classifyOption(const char* argument) {
    // The two long options every command-line tool is asked first; any
    // other word after a dash stays a named option.
    if (std::strcmp(argument, "--help") == 0) printUsage(0);
    if (std::strcmp(argument, "--version") == 0) printVersion();
    const char* text = argument + 1;
    std::size_t length = std::strlen(text);
    if (length == 1) {
        applyLetterOption(text[0], nullptr);
    } else if (length >= 2 && text[1] == ':' && std::strchr("aAeE", text[0]) != nullptr) {
        applyLetterOption(text[0], text + 2);
    } else {
        addNamedOption(text);
    }
}

void releaseAll() {
    settings.progPath.clear();
    settings.newExt.clear();
    clearNamedOptions();
    clearFileSets();
}

int runMain(int argc, char** argv) {
    settings.progPath = argc > 0 && argv[0] != nullptr ? argv[0] : "";
    clearFileSets();
    settings.inMode = "r";
    settings.outMode = "w+";
    totals.bytesOut = 0;
    totals.bytesIn = 0;
    if (argc < 2) printUsage(0);

    oIn = platform::duplicateDescriptor(0);
    if (oIn < 0) failWithSystemError("1 - _dup2(0, oIn)", -1);
    oOut = platform::duplicateDescriptor(1);
    if (oOut < 0) failWithSystemError("2 - _dup2(1, oOut)", -1);

    for (int i = 1; i < argc; ++i) {
        if (platform::isOptionPrefix(argv[i][0])) {
            classifyOption(argv[i]);
        } else {
            addFileSpec(argv[i]);
        }
    }

    if (settings.silent) settings.verbose = 0;
    totals.filesProcessed = 0;
    completeFileSets();
    walkFileSets();

    if (!settings.silent) printSummary();
    if (settings.replace) endReplaceRun();
    releaseAll();
    platform::standardOutput().flush();
    return 0;
}
