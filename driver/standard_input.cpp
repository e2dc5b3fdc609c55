#include "driver/standard_input.h"

#include <cerrno>
#include <cstring>

#include "driver/exit_status.h"
#include "driver/log_line.h"
#include "driver/process_file.h"
#include "driver/run_settings.h"
#include "platform/console.h"
#include "platform/descriptors.h"
#include "platform/file_ops.h"
#include "platform/working_files.h"

namespace {

enum class Place { None, BeforeFiles, AfterFiles };
Place standardInputPlace = Place::None;

const char kName[] = "-";

// Reading a file while appending to it would never end.
bool isOwnOutput(const platform::FileFacts& facts) {
    if (!facts.isRegular) return false;  // a terminal may be both ends
    if (facts.identity == platform::descriptorIdentity(oOut)) return true;
    return settings.append && facts.identity == platform::fileIdentity(platform::locatePath(settings.appendName));
}

}  // namespace

bool isStandardInputArgument(const char* argument) { return std::strcmp(argument, kName) == 0; }

void selectStandardInput(bool afterFiles) {
    if (standardInputPlace == Place::None) standardInputPlace = afterFiles ? Place::AfterFiles : Place::BeforeFiles;
}

void refuseStandardInputUnderReplace() {
    if (standardInputPlace == Place::None || !settings.replace) return;
    logLine("Entr" TXT2VB_E_ACUTE "e standard (-) impossible avec -r\n");
    exitWith(ExitStatus::CommandLineError);
}

Failure convertStandardInput(bool afterFiles) {
    if (standardInputPlace != (afterFiles ? Place::AfterFiles : Place::BeforeFiles)) return Failure();
    SelectedFile file;
    file.path = kName;
    OpenedInput opened;
    // A descriptor of its own, which processFile closes like a file's.
    opened.fd = platform::duplicateDescriptor(oIn);
    if (opened.fd < 0 || !platform::describeDescriptor(opened.fd, opened.facts)) {
        opened.error = errno;
        if (opened.fd >= 0) closeSelected(opened);
    } else if (isOwnOutput(opened.facts)) {
        closeSelected(opened);
        logLine("!!! Parsing impossible de %s (fichier de sortie)\n", kName);
        return Failure();
    }
    // A pipe or a terminal has no size to tell.
    settings.currentSize = opened.facts.isRegular ? opened.facts.size : 0;
    return processFile(file, opened);
}
