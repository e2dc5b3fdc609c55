#include "support/memory_walk.h"

#include "driver/output_mode.h"
#include "driver/run_settings.h"
#include "support/capture.h"

WalkOutcome walkInMemory(MemoryFileSystem& files, const std::vector<std::string>& arguments, bool specifications,
                         FileAction action) {
    WalkOutcome outcome;
    FileSystem* real = useFileSystem(&files);
    FileAction previous = useFileAction(action);
    forgetOutputMode();
    clearFileSets();
    totals = RunTotals();
    outcome.printed = captureStderr([&] {
        for (const std::string& argument : arguments) {
            if (specifications) {
                addFileSpec(argument.c_str());
            } else {
                addArgument(argument.c_str());
            }
        }
        completeFileSets();
        outcome.failure = walkFileSets();
    });
    useFileAction(previous);
    useFileSystem(real);
    clearFileSets();
    settings = RunSettings();
    forgetOutputMode();
    return outcome;
}
