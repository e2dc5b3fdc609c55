// One input of a run, from the entry the walk found to its outcome:
// judged, opened, converted (or decoded) to where its mode puts results,
// then committed or given up.
#pragma once

#include <memory>
#include <vector>

#include "driver/failure.h"
#include "driver/file_system.h"
#include "driver/named_options.h"
#include "driver/output_mode.h"
#include "driver/reporter.h"
#include "driver/run_settings.h"
#include "driver/walk.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "scanner/output_form.h"

// The files a run writes (its results and lock, the append file, standard
// output and standard error): never one of its inputs.
class OwnFiles {
public:
    explicit OwnFiles(const OutputMode& mode) : mode_(mode) {}
    // Takes the outputs' identities afresh: a listing taken now holds no
    // file the run creates later, and a file that existed keeps its
    // identity when it is rewritten.
    void identify(FileSystem& files, const RunSettings& settings);
    bool contains(const platform::FileIdentity& identity) const;

private:
    const OutputMode& mode_;
    std::vector<platform::FileIdentity> outputs_;
};

// What the steps of one input take from the run that hands it on.
struct InputContext {
    const RunSettings& settings;
    const OutputForm& form;
    FileSystem& files;
    Reporter& reporter;
    OutputMode& mode;
    NamedOptionList& namedOptions;
    const OwnFiles& ownFiles;
    platform::TextInputStream& in;
    platform::TextOutputStream& result;   // to a result file, or the append file
    platform::TextOutputStream& console;  // standard output
};

// Judges an entry the walk found and, when it is taken, opens and
// converts it.
Outcome processFound(InputContext& run, FoundEntry& found);

// Converts `input` (null when it could not be opened: `openError` says
// why) as its mode has it. Nothing of a result given up stays.
Outcome processFile(InputContext& run, const SelectedFile& file, std::unique_ptr<Input> input,
                    const platform::SystemError& openError);

// Converts standard input, named "-". Standard input that is one of the
// run's own outputs is passed over.
Outcome processStandardInput(InputContext& run);
