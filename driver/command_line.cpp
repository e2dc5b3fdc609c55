#include "driver/command_line.h"

#include <cinttypes>
#include <cstring>

#include "driver/named_options.h"
#include "driver/run_settings.h"
#include "driver/usage.h"

namespace {

void applyLetterOption(char letter, const char* value) {
    switch (letter) {
        case '?':
            printUsage(ExitStatus::Normal);
        case 'a':
        case 'A':
            settings.append = 1;
            // The whole name is kept: a cut name would send the results to
            // another file than the one asked for.
            settings.appendName = value != nullptr ? value : "";
            settings.outName = settings.appendName;
            settings.outMode = platform::OpenMode::Append;
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

}  // namespace

void classifyOption(const char* argument) {
    // The two long options every command-line tool is asked first; any
    // other word after a dash stays a named option.
    if (std::strcmp(argument, "--help") == 0) printUsage(ExitStatus::Normal);
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
