// One run of the tool: it owns what the run holds from start to end (the
// output mode with its lock and records, the named options, the walk's
// plan, the streams and the totals), takes the file system and the
// reporter it is given, and is handed down the walk and into each input.
#pragma once

#include <memory>

#include "driver/failure.h"
#include "driver/file_sets.h"
#include "driver/file_system.h"
#include "driver/named_options.h"
#include "driver/options.h"
#include "driver/output_mode.h"
#include "driver/process_file.h"
#include "driver/reporter.h"
#include "driver/run_settings.h"
#include "driver/walk.h"
#include "platform/text_input.h"
#include "platform/text_output.h"

class Run final : public WalkVisitor {
public:
    // `console` takes what the console mode writes (standard output).
    Run(const Options& options, FileSystem& files, Reporter& reporter, platform::TextOutputStream& console);
    ~Run() override;
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // Converts every input the options select, in order, and folds each
    // outcome into the totals and the status. The failure that ended the
    // run, or none.
    Failure execute();
    // The status of a run no failure ended: ParseFailed once an input was
    // no expression, else OpenFailed once a directory or an entry could not
    // be read (the walk went on without it), else Normal.
    ExitStatus endStatus() const {
        if (notExpression_) return ExitStatus::ParseFailed;
        return unreadable_ ? ExitStatus::OpenFailed : ExitStatus::Normal;
    }
    const RunTotals& totals() const { return totals_; }

private:
    void listing() override;
    void directory(const std::string& dir, const std::string& patterns) override;
    void notice(const Notice& notice) override;
    bool found(FoundEntry& found) override;
    // Folds one input's outcome in; false when it ends the run.
    bool fold(const Outcome& outcome);

    const Options& options_;
    FileSystem& files_;
    Reporter& reporter_;
    std::unique_ptr<OutputMode> mode_;
    NamedOptionList namedOptions_;
    WalkPlan plan_;
    std::unique_ptr<platform::TextInputStream> input_;
    std::unique_ptr<platform::TextOutputStream> result_;
    OwnFiles ownFiles_;
    // What each input is handed.
    InputContext context_;
    RunTotals totals_;
    Failure failure_;
    bool notExpression_ = false;
    bool unreadable_ = false;
};
