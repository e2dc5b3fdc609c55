#include "driver/command_line.h"

#include <cinttypes>
#include <cstring>

#include "driver/file_sets.h"
#include "driver/log_line.h"
#include "driver/named_options.h"
#include "driver/run_settings.h"
#include "driver/shown_name.h"
#include "driver/usage.h"
#include "platform/console.h"

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

bool isSafeExtension(const std::string& value) {
    if (value.find_first_of("/\\:") != std::string::npos) return false;
    return value.empty() || value.find_first_not_of('.') != std::string::npos;
}

bool tryClassifyOption(const char* argument, std::string& message) {
    // The two long options every command-line tool is asked first; any
    // other word after a dash stays a named option.
    if (std::strcmp(argument, "--help") == 0) printUsage(ExitStatus::Normal);
    if (std::strcmp(argument, "--version") == 0) printVersion();
    const char* text = argument + 1;
    std::size_t length = std::strlen(text);
    if (length == 1) {
        applyLetterOption(text[0], nullptr);
    } else if (length >= 2 && text[1] == ':' && std::strchr("aAeE", text[0]) != nullptr) {
        if ((text[0] == 'e' || text[0] == 'E') && !isSafeExtension(text + 2)) {
            message = "Extension invalide : \"" + shownName(text + 2) + "\"\n";
            return false;
        }
        applyLetterOption(text[0], text + 2);
    } else {
        addNamedOption(text);
    }
    return true;
}

void classifyOption(const char* argument) {
    std::string message;
    if (tryClassifyOption(argument, message)) return;
    logLine("%s", message.c_str());
    exitWith(ExitStatus::CommandLineError);
}

bool tryReadArgument(const char* argument, ArgumentReader& reader, std::string& message) {
    if (!reader.optionsEnded) {
        if (std::strcmp(argument, "--") == 0) {
            reader.optionsEnded = true;
            return true;
        }
        if (platform::isOptionPrefix(argument[0])) return tryClassifyOption(argument, message);
    }
    return tryAddArgument(argument, message);
}

void readArgument(const char* argument, ArgumentReader& reader) {
    std::string message;
    if (tryReadArgument(argument, reader, message)) return;
    logLine("%s", message.c_str());
    exitWith(ExitStatus::CommandLineError);
}
