#include "driver/output_mode.h"

#include <cerrno>
#include <set>
#include <unordered_set>
#include <utility>

#include "driver/new_name.h"
#include "driver/shown_name.h"
#include "platform/names.h"
#include "platform/spool.h"

namespace {

Failure outputFailure(const platform::SystemError& error) {
    return systemFailure(kOutputFileError, ExitStatus::OutputFailed, error);
}

// Writes into the console stream bytes that hold their line ends already.
class ConsoleSink final : public platform::ByteSink {
public:
    explicit ConsoleSink(platform::TextOutputStream& console) : console_(console) {}
    bool write(const char* data, std::size_t length) override {
        console_.writeRaw(data, length);
        return !console_.failed();
    }

private:
    platform::TextOutputStream& console_;
};

class ConsoleMode final : public OutputMode {
public:
    // `holdsBack`: a result reaches the console only once it is whole (the
    // text of an input that may turn out to be no expression).
    ConsoleMode(bool holdsBack, platform::TextOutputStream& console) : holdsBack_(holdsBack), console_(console) {}

    Failure open(const SelectedFile&, platform::ByteSink*& sink) override {
        spool_.clear();
        sink = holdsBack_ ? &spool_ : nullptr;
        return Failure();
    }
    Outcome commit(const SelectedFile& file, Input&, std::int64_t resultSize) override {
        if (holdsBack_) {
            ConsoleSink console(console_);
            const bool copied = spool_.copyTo(console);
            const int error = errno;
            if (!console_.flush() || !copied) {
                const int number = console_.failed() ? console_.errorNumber() : error;
                return Outcome::failed(Failure{ExitStatus::OutputFailed,
                                               console_.failed() ? kStandardOutputError : kOutputFileError, number});
            }
        }
        return Outcome::converted(file.size, resultSize);
    }
    void abandon() override { spool_.clear(); }

private:
    bool holdsBack_;
    platform::TextOutputStream& console_;
    platform::Spool spool_;
};

class AppendMode final : public OutputMode {
public:
    AppendMode(const RunSettings& settings, FileSystem& files) : settings_(settings), files_(files) {}

    Failure open(const SelectedFile&, platform::ByteSink*& sink) override {
        platform::SystemError error;
        target_ = files_.openAppendTarget(settings_.appendName, error);
        if (!target_) return outputFailure(error);
        sink = &target_->sink();
        return Failure();
    }
    Outcome commit(const SelectedFile& file, Input&, std::int64_t resultSize) override {
        platform::SystemError error;
        const bool closed = target_->close(error);
        target_.reset();
        if (!closed) return Outcome::failed(outputFailure(error));
        return Outcome::converted(file.size, resultSize);
    }
    // The append file is cut back to what it held before this input.
    void abandon() override {
        if (target_) target_->cutBack();
        target_.reset();
    }

private:
    const RunSettings& settings_;
    FileSystem& files_;
    std::unique_ptr<AppendTarget> target_;
};

using IdentityKey = std::pair<std::uint64_t, std::uint64_t>;
IdentityKey keyOf(const platform::FileIdentity& identity) { return {identity.device, identity.inode}; }
struct IdentityHash {
    std::size_t operator()(const IdentityKey& key) const {
        return std::hash<std::uint64_t>()(key.second * 0x9E3779B97F4A7C15ULL ^ key.first);
    }
};

class ReplaceMode final : public OutputMode {
public:
    ReplaceMode(const RunSettings& settings, FileSystem& files, Reporter& reporter)
        : settings_(settings), files_(files), reporter_(reporter) {}

    // Runs in replace mode in one working directory go one after the other:
    // the run holds the lock from before its first input to its end. From a
    // working directory it may not write, a run goes on without one.
    Failure begin() override {
        std::string why;
        lock_ = files_.takeLock(why);
        if (lock_ || why.empty()) return Failure();
        return textFailure(std::string(kOutputFileError) + ": " + shownName(why), ExitStatus::OutputFailed);
    }
    void end() override { lock_.reset(); }

    Notice judge(const platform::DirectoryEntry& entry, const std::string& dir, const std::string& path,
                 bool wildcard) const override {
        // A link is never replaced, nor followed to what it names: its
        // target is converted when it is selected itself.
        if (entry.isLink) return Notice{PassedOver::Link, path, ""};
        if (entry.isReadOnly) return Notice{PassedOver::ReadOnly, dir + entry.name, ""};
        Notice notice = OutputMode::judge(entry, dir, path, wildcard);
        if (notice.why != PassedOver::None) return notice;
        // Overlapping specifications must not convert a result again: the
        // run counts its results, not its inputs, so every name of a file
        // with several links is converted. No notice.
        if (entry.identity.exists && results_.count(keyOf(entry.identity)) != 0) {
            return Notice{PassedOver::OwnFile, path, ""};
        }
        return Notice();
    }
    bool ownsFile(const platform::FileIdentity& identity) const override {
        if (lock_ && identity == lock_->identity()) return true;
        return replacement_ && identity == replacement_->identity();
    }
    bool plainFilesOnly() const override { return true; }
    bool followsLinks() const override { return false; }
    bool textOnly() const override { return true; }
    // A replaced file keeps its UTF-8 mark in front of the expression, so
    // that editors still read it as UTF-8.
    ByteOrderMark byteOrderMark() const override { return ByteOrderMark::Keep; }

    // Under -e: where the result goes, or the notice when the new name
    // finds a file the run must not replace.
    Notice prepare(const SelectedFile& file, const platform::FileFacts& input) override {
        target_ = file.location;
        newName_.clear();
        if (!settings_.changeExt) return Notice();
        const std::string newBase = newExtensionName(file.name, settings_.newExt);
        bool overInput = true;
        if (chooseTarget(file.directory, newBase, input.identity, overInput)) {
            if (!overInput) newName_ = newBase;
            return Notice();
        }
        return Notice{PassedOver::NameTaken, file.path, newExtensionName(file.path, settings_.newExt)};
    }
    Failure open(const SelectedFile& file, platform::ByteSink*& sink) override {
        platform::SystemError error;
        replacement_ = files_.beginReplacement(file.directory, file.name, error);
        if (!replacement_) return outputFailure(error);
        sink = &replacement_->sink();
        return Failure();
    }
    Outcome commit(const SelectedFile& file, Input& input, std::int64_t resultSize) override {
        // The result was private while it was written; now it takes what
        // the input has, as far as the process may.
        const platform::FileIdentity inputIdentity = input.facts().identity;
        // Written to by another process while it was read (a log, say):
        // its result would lose what was written.
        if (!input.unchanged()) {
            abandon();
            return Outcome::failed(textFailure("Erreur de remplacement de " + shownName(file.path) +
                                                   ": le fichier a chang" TXT2VB_E_ACUTE " pendant sa lecture",
                                               ExitStatus::OutputFailed));
        }
        platform::SystemError error;
        if (!replacement_->complete(input, error)) {
            abandon();
            return Outcome::failed(outputFailure(error));
        }
        if (settings_.sizeDelta) reporter_.sizeChange(file.size, resultSize);
        // The result takes the new name first; the input goes only once
        // its replacement stands, so a failure at any point loses nothing.
        const bool overInput = newName_.empty();
        const platform::FileIdentity resultIdentity = replacement_->identity();
        if (!replacement_->place(target_, overInput ? inputIdentity : platform::FileIdentity(), error)) {
            const std::string shown = settings_.changeExt ? newExtensionName(file.path, settings_.newExt) : file.path;
            abandon();
            return Outcome::failed(
                systemFailure("Erreur de remplacement de " + shownName(shown), ExitStatus::OutputFailed, error));
        }
        results_.insert(keyOf(resultIdentity));
        if (!overInput) {
            resultNames_.emplace(keyOf(files_.identify(file.directory)), platform::foldedCase(newName_));
        }
        Outcome outcome = Outcome::converted(file.size, resultSize);
        if (!overInput && !replacement_->removeInput(file.location, inputIdentity, error)) {
            // The input stays as it was, so its result was taken back from
            // the new name, which still counts as taken.
            results_.erase(keyOf(resultIdentity));
            outcome.notice = Notice{PassedOver::NotRemoved, file.path, platform::errorText(error.number)};
        }
        replacement_.reset();
        reporter_.endProgressLine();
        return outcome;
    }
    void abandon() override {
        if (replacement_) replacement_->discard();
        replacement_.reset();
    }

private:
    // Under -e, whether the result of an input in `directory` may take the
    // name `newBase`: `overInput` stays true when the new name finds the
    // input itself (it differs only in case), else the name is free. Not a
    // name a result of this run was given (in any case), another file, or
    // a working file's name.
    bool chooseTarget(const platform::FileLocation& directory, const std::string& newBase,
                      const platform::FileIdentity& input, bool& overInput) {
        const IdentityKey directoryKey = keyOf(files_.identify(directory));
        if (resultNames_.count({directoryKey, platform::foldedCase(newBase)}) != 0) return false;
        platform::FileLocation found;
        if (files_.findName(directory, newBase, found)) {
            const platform::FileIdentity identity = files_.identify(found);
            return identity == input && results_.count(keyOf(identity)) == 0;
        }
        if (platform::isWorkingFileName(newBase)) return false;
        target_ = files_.locateName(directory, newBase);
        overInput = false;
        return true;
    }

    const RunSettings& settings_;
    FileSystem& files_;
    Reporter& reporter_;
    std::unique_ptr<RunLock> lock_;
    std::unique_ptr<Replacement> replacement_;
    platform::FileLocation target_;
    std::string newName_;  // empty: the result goes over the input
    // The results made, looked up for every entry of every listing.
    std::unordered_set<IdentityKey, IdentityHash> results_;
    // The names results were given under -e, folded to lower case, with
    // the identity of their directory.
    std::set<std::pair<IdentityKey, std::string>> resultNames_;
};

}  // namespace

Notice OutputMode::judge(const platform::DirectoryEntry& entry, const std::string&, const std::string& path,
                         bool wildcard) const {
    // A FIFO, a device or a socket is never opened when a wildcard matched
    // it, nor replaced when it was named.
    if (entry.identity.exists && !entry.isRegular && (wildcard || plainFilesOnly())) {
        return Notice{PassedOver::Special, path, ""};
    }
    return Notice();
}

std::unique_ptr<OutputMode> makeOutputMode(const RunSettings& settings, FileSystem& files, Reporter& reporter,
                                           platform::TextOutputStream& console) {
    if (settings.replace) return std::make_unique<ReplaceMode>(settings, files, reporter);
    if (settings.append) return std::make_unique<AppendMode>(settings, files);
    return std::make_unique<ConsoleMode>(settings.decode != 0, console);
}
