#include "driver/process_file.h"

#include <cerrno>
#include <new>

#include "driver/shown_name.h"
#include "parser/convert_input.h"
#include "parser/decode_stream.h"
#include "platform/console.h"

namespace {

// What the scan frame and the parser take from the run for one input.
class InputHooks final : public ConversionHooks {
public:
    InputHooks(InputContext& run, const std::string& path) : run_(run), shownPath_(shownName(path)) {}
    const char* namedOptionValue(const char* key) override { return run_.namedOptions.namedOptionValue(key); }
    bool traceWanted() override { return run_.settings.verbose != 0; }
    const char* currentPath() override { return shownPath_.c_str(); }
    void diagnostic(const std::string& line) override { run_.reporter.line(line); }

private:
    InputContext& run_;
    std::string shownPath_;
};

// A file that is to be replaced, or that a wildcard found, must be a plain
// file: the open cannot wait, and what it opened is looked at first.
bool mustBePlainFile(InputContext& run, const SelectedFile& file) {
    return run.mode.plainFilesOnly() || file.fromSearch;
}

// Why an entry found is not taken, or PassedOver::None: one of the run's
// own files, or what its mode does not take.
Notice judged(InputContext& run, const FoundEntry& found) {
    if (run.ownFiles.contains(found.entry.identity)) return Notice{PassedOver::OwnFile, found.path, ""};
    return run.mode.judge(found.entry, found.dir, found.path, found.wildcard);
}

// The input's conversion, from the moment its result is opened: the
// streams let go of the input and the result whatever happens, and a
// result given up leaves nothing.
class Conversion {
public:
    Conversion(InputContext& run, const SelectedFile& file, Input& input) : run_(run), file_(file), input_(input) {}
    ~Conversion() {
        run_.in.attach(-1, false);
        if (sink_ != nullptr) {
            run_.result.discard();
            run_.result.attach(-1);
        }
        if (!committed_) run_.mode.abandon();
    }

    Outcome run() {
        const Failure opening = run_.mode.open(file_, sink_);
        if (opening.failed()) return Outcome::failed(opening);
        platform::TextOutputStream& out = sink_ != nullptr ? run_.result : run_.console;
        if (sink_ != nullptr) out.attach(*sink_);
        platform::TextInputStream& in = run_.in;
        const platform::FileFacts& facts = input_.facts();
        in.attach(input_, facts.isRegular, facts.size);
        // Only text may stand in for an input: the stream judges it as it
        // reads, in every way of reading, decoding included.
        if (run_.mode.textOnly()) in.requireText();

        DecodeStop stop;
        DecodeResult decoded = DecodeResult::Decoded;
        if (run_.settings.decode) {
            decoded = decodeStream(in, out, run_.mode.byteOrderMark(), stop);
            if (decoded == DecodeResult::ReadFailed) return readFailure();
        } else {
            ConversionSetup setup;
            setup.in = &in;
            setup.out = &out;
            setup.form = run_.form;
            setup.mark = run_.mode.byteOrderMark();
            InputHooks hooks(run_, file_.path);
            setup.hooks = &hooks;
            const int converted = convertInput(setup);
            if (converted == kParseFailed) {
                return Outcome::failed(Failure{ExitStatus::ParseFailed, "Erreur de parsing\n", 0});
            }
            if (converted == kReadFailed) return readFailure();
        }
        // A NUL, or bytes after the 0x1A that ends the text: the input is
        // no text, the reading stopped there, and it stays as it is.
        if (run_.mode.textOnly() && !in.isText()) {
            run_.reporter.endProgressLine();
            return Outcome::passedOver(PassedOver::Binary, file_.path);
        }
        // Nothing of an input that is no expression is written anywhere.
        if (decoded == DecodeResult::NotExpression) {
            run_.reporter.endProgressLine();
            return Outcome::passedOver(
                PassedOver::NotExpression, file_.path,
                "ligne " + std::to_string(stop.line) + ", colonne " + std::to_string(stop.column));
        }
        if (!out.flush()) {
            return Outcome::failed(Failure{ExitStatus::OutputFailed,
                                           sink_ != nullptr ? kOutputFileError : kStandardOutputError,
                                           out.errorNumber()});
        }
        const std::int64_t resultSize = static_cast<std::int64_t>(out.bytesWritten());
        if (sink_ != nullptr) out.attach(-1);
        sink_ = nullptr;
        committed_ = true;
        return run_.mode.commit(file_, input_, resultSize);
    }

private:
    // A read error names the input and the system's reason.
    Outcome readFailure() {
        return Outcome::failed(Failure{ExitStatus::ScannerFatal, shownName(file_.path), run_.in.errorNumber()});
    }

    InputContext& run_;
    const SelectedFile& file_;
    Input& input_;
    platform::ByteSink* sink_ = nullptr;
    bool committed_ = false;
};

}  // namespace

void OwnFiles::identify(FileSystem& files, const RunSettings& settings) {
    outputs_.clear();
    // Standard error too: a run must not convert its own messages.
    for (int descriptor : {1, 2}) outputs_.push_back(files.identifyStandard(descriptor));
    if (settings.append) outputs_.push_back(files.identifyPath(settings.appendName));
}

bool OwnFiles::contains(const platform::FileIdentity& identity) const {
    if (mode_.ownsFile(identity)) return true;
    for (const platform::FileIdentity& output : outputs_) {
        if (output == identity) return true;
    }
    return false;
}

Outcome processFile(InputContext& run, const SelectedFile& file, std::unique_ptr<Input> input,
                    const platform::SystemError& openError) {
    if (input) {
        const platform::FileFacts& facts = input->facts();
        if (mustBePlainFile(run, file) && !facts.isRegular) return Outcome::passedOver(PassedOver::Special, file.path);
        const Notice notice = run.mode.prepare(file, facts);
        if (notice.why != PassedOver::None) return Outcome::passedOver(notice);
    }
    try {
        run.reporter.progress(file.path, file.size);
        // Every failure below ends the run, once it is known.
        if (!input) return Outcome::failed(Failure{ExitStatus::OpenFailed, shownName(file.path), openError.number});
        Conversion conversion(run, file, *input);
        return conversion.run();
    } catch (const std::bad_alloc&) {
        return Outcome::failed(textFailure("Pas assez de m" TXT2VB_E_ACUTE "moire", ExitStatus::ScannerFatal));
    }
}

Outcome processFound(InputContext& run, FoundEntry& found) {
    platform::DirectoryEntry& entry = found.entry;
    OutputMode& mode = run.mode;
    // An entry the listing described is judged before it is opened (a FIFO
    // named on the command line may wait for its writer).
    if (entry.described) {
        const Notice notice = judged(run, found);
        if (notice.why != PassedOver::None) return Outcome::passedOver(notice);
    }
    SelectedFile file;
    file.path = found.path;
    file.directory = found.directory;
    file.name = entry.name;
    file.location = entry.location;
    file.fromSearch = found.wildcard;
    // A file to be replaced is opened without following a link: one put in
    // its place since the listing fails the open (ELOOP).
    platform::SystemError openError;
    std::unique_ptr<Input> input =
        run.files.openInput(file.location, mustBePlainFile(run, file), mode.followsLinks(), openError);
    if (!input) {
        if (!mode.followsLinks() && openError.number == ELOOP) return Outcome::passedOver(PassedOver::Link, file.path);
        // A wildcard found it, and it is gone since, or a link to nothing.
        if (found.wildcard && openError.number == ENOENT) return Outcome::passedOver(PassedOver::Vanished, file.path);
    }
    if (!entry.described) {
        // A plain file as the listing tells: the opened file says the rest,
        // or, when it could not be opened, a look at its name does.
        platform::SystemError error;
        if (input) {
            platform::completeEntry(entry, input->facts());
        } else if (!run.files.describe(entry, error)) {
            if (error.number == ENOENT) return Outcome::passedOver(PassedOver::Vanished, file.path);
            return Outcome::passedOver(PassedOver::Unreadable, found.searchPath, platform::errorText(error.number));
        }
        const Notice notice = judged(run, found);
        if (notice.why != PassedOver::None) return Outcome::passedOver(notice);
    }
    file.size = entry.size;
    return processFile(run, file, std::move(input), openError);
}

Outcome processStandardInput(InputContext& run) {
    SelectedFile file;
    file.path = "-";
    platform::SystemError openError;
    std::unique_ptr<Input> input = run.files.openStandardInput(openError);
    if (input) {
        const platform::FileFacts& facts = input->facts();
        // Reading a file while writing to it would never end; a terminal
        // may be both ends.
        if (facts.isRegular && run.ownFiles.contains(facts.identity))
            return Outcome::passedOver(PassedOver::OwnOutput, "-");
        // A pipe or a terminal has no size to tell.
        file.size = facts.isRegular ? facts.size : 0;
    }
    return processFile(run, file, std::move(input), openError);
}
