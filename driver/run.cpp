#include "driver/run.h"

#include "driver/process_file.h"

Run::Run(const Options& options, FileSystem& files, Reporter& reporter, platform::TextOutputStream& console)
    : options_(options),
      files_(files),
      reporter_(reporter),
      mode_(makeOutputMode(options.settings, files, reporter, console)),
      namedOptions_(options.namedOptions),
      input_(std::make_unique<platform::TextInputStream>(-1)),
      result_(std::make_unique<platform::TextOutputStream>(-1)),
      ownFiles_(*mode_),
      context_{options.settings, options.form, files,   reporter, *mode_,
               namedOptions_,    ownFiles_,    *input_, *result_, console} {}

Run::~Run() { mode_->end(); }

Failure Run::execute() {
    // A replace run waits for its lock before it opens any input.
    failure_ = mode_->begin();
    if (failure_.failed()) return failure_;
    failure_ = planWalk(options_, files_, plan_);
    if (failure_.failed()) return failure_;
    listing();
    if (plan_.standardInput == WalkPlan::StandardInput::First && !fold(processStandardInput(context_))) return failure_;
    Walk walk(files_, *this, options_.settings.recursive != 0, options_.settings.traceDirs != 0);
    if (!walk.walkFileSets(plan_)) return failure_;
    if (plan_.standardInput == WalkPlan::StandardInput::Last) {
        listing();
        if (!fold(processStandardInput(context_))) return failure_;
    }
    mode_->end();
    return failure_;
}

void Run::listing() { ownFiles_.identify(files_, options_.settings); }

void Run::directory(const std::string& dir, const std::string& patterns) { reporter_.directory(dir, patterns); }

void Run::notice(const Notice& notice) {
    if (notice.why == PassedOver::Unreadable) unreadable_ = true;
    reporter_.notice(notice);
}

bool Run::found(FoundEntry& found) { return fold(processFound(context_, found)); }

bool Run::fold(const Outcome& outcome) {
    switch (outcome.end) {
        case Outcome::End::Converted:
            ++totals_.filesProcessed;
            totals_.bytesIn += outcome.bytesIn;
            totals_.bytesOut += outcome.bytesOut;
            reporter_.notice(outcome.notice);
            return true;
        case Outcome::End::PassedOver:
            if (outcome.notice.why == PassedOver::NotExpression) notExpression_ = true;
            notice(outcome.notice);
            return true;
        case Outcome::End::Failed:
            failure_ = outcome.failure;
            return false;
    }
    return false;
}
