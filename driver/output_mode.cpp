#include "driver/output_mode.h"

#include <cerrno>
#include <memory>

#include "driver/exit_status.h"
#include "driver/file_system.h"
#include "driver/log_line.h"
#include "driver/new_name.h"
#include "driver/replace_run.h"
#include "driver/run_settings.h"
#include "driver/shown_name.h"
#include "driver/size_delta.h"
#include "platform/console.h"
#include "platform/descriptors.h"
#include "platform/text_output.h"

namespace {


// A result that could not be completed: nothing of it may stand in for the
// user's data.
Failure failWritten(OutputMode& mode, int resultFd) {
    Failure failure = systemFailure(kOutputFileError, ExitStatus::OutputFailed);
    mode.abandon(resultFd);
    return failure;
}

class ConsoleMode : public OutputMode {
public:
    Failure open(const SelectedFile&, const platform::FileFacts&, int& fd) override {
        fd = -1;
        return Failure();
    }
    Failure commit(const SelectedFile&, OpenedInput& opened, int, std::int64_t resultSize) override {
        closeSelected(opened);
        if (settings.sizeDelta) totals.bytesOut += resultSize;
        return Failure();
    }
    void abandon(int) override {}
};

class AppendMode : public OutputMode {
public:
    Failure open(const SelectedFile&, const platform::FileFacts&, int& fd) override {
        fd = platform::openFile(settings.outName.c_str(), settings.outMode);
        if (fd < 0) return systemFailure(kOutputFileError, ExitStatus::OutputFailed);
        start_ = platform::descriptorSize(fd);
        return Failure();
    }
    Failure commit(const SelectedFile&, OpenedInput& opened, int resultFd, std::int64_t resultSize) override {
        closeSelected(opened);
        if (!platform::closeDescriptorChecked(resultFd)) return failWritten(*this, -1);
        if (settings.sizeDelta) totals.bytesOut += resultSize;
        return Failure();
    }
    // The append file is cut back to what it held before this file.
    void abandon(int resultFd) override {
        if (resultFd < 0) return;
        if (start_ >= 0) platform::truncateDescriptor(resultFd, start_);
        platform::closeDescriptorQuietly(resultFd);
    }

private:
    long long start_ = -1;
};

class ReplaceMode : public OutputMode {
public:
    Failure begin() override { return beginReplaceRun(); }
    void end() override { endReplaceRun(); }

    bool accepts(const platform::DirectoryEntry& entry, const std::string& dir, const std::string& path,
                 bool wildcard) const override {
        // A link is never replaced, nor followed to what it names: its
        // target is converted when it is selected itself.
        if (entry.isLink) {
            noticePassedOver(path, kLinkNotice);
            return false;
        }
        if (entry.isReadOnly) {
            logLine("!!! Parsing impossible de %s%s (ReadOnly)\n", dir.c_str(), shownName(entry.name).c_str());
            return false;
        }
        if (!OutputMode::accepts(entry, dir, path, wildcard)) return false;
        // Overlapping specifications must not convert a result again.
        return !replacedThisRun(entry.identity);
    }
    bool ownsFile(const platform::FileIdentity& identity) const override { return isWorkingFile(identity); }
    bool plainFilesOnly() const override { return true; }
    bool followsLinks() const override { return false; }
    bool textOnly() const override { return true; }
    ByteOrderMark byteOrderMark() const override { return ByteOrderMark::Keep; }

    // Under -e: where the result goes, or false (with the notice given)
    // when the new name finds a file the run must not replace.
    bool prepare(const SelectedFile& file, const platform::FileFacts& input) override {
        target_ = file.location;
        newName_.clear();
        if (!settings.changeExt) return true;
        const std::string newBase = newExtensionName(file.name, settings.newExt);
        bool overInput = true;
        if (chooseTarget(file.directory, newBase, input.identity, target_, overInput)) {
            if (!overInput) newName_ = newBase;
            return true;
        }
        logLine("!!! Parsing impossible de %s (%s existe)\n", file.path.c_str(),
                newExtensionName(file.path, settings.newExt).c_str());
        return false;
    }
    Failure open(const SelectedFile& file, const platform::FileFacts&, int& fd) override {
        return createResult(file.directory, file.name, fd, made_);
    }
    Failure commit(const SelectedFile& file, OpenedInput& opened, int resultFd, std::int64_t resultSize) override {
        // The result was private while it was written; now it takes what
        // the input has, as far as the process may: owner, group, extended
        // attributes, ACL and mode.
        const platform::FileFacts input = opened.facts;
        FileSystem& files = fileSystem();
        if (!files.copyAttributes(resultFd, made_, opened.fd, input)) return failWritten(*this, resultFd);
        closeSelected(opened);
        if (!files.closeWritten(resultFd)) return failWritten(*this, -1);
        if (settings.sizeDelta) totals.bytesOut += resultSize;
        if (settings.sizeDelta && !settings.silent) {
            logLine("%s", formatDelta(settings.currentSize, resultSize).c_str());
        }
        // The result takes the new name first; the input goes only once
        // its replacement stands, so a failure at any point loses nothing.
        if (!placeResult(target_, newName_)) {
            const std::string shown = settings.changeExt ? newExtensionName(file.path, settings.newExt) : file.path;
            Failure failure = systemFailure("Erreur de remplacement de " + shown, ExitStatus::OutputFailed);
            discardResult();
            return failure;
        }
        const bool inputRemoved = newName_.empty() || files.removeIfSame(file.location, input.identity);
        const int error = errno;
        if (!settings.silent) logLine("\n");
        if (inputRemoved) return Failure();
        // The input stays as it was, so its result must not stand beside
        // it under the new name.
        withdrawResult(target_);
        logLine("!!! Suppression impossible de %s: %s\n", file.path.c_str(), platform::errorText(error));
        return Failure();
    }
    void abandon(int resultFd) override {
        if (resultFd >= 0) fileSystem().closeWritten(resultFd);
        discardResult();
    }

private:
    platform::FileLocation target_;
    std::string newName_;  // empty: the result goes over the input
    platform::FileFacts made_;
};

}  // namespace

const char kLinkNotice[] = "lien symbolique";
const char kVanishedNotice[] = "fichier disparu";
const char kSpecialNotice[] = "fichier sp" TXT2VB_E_ACUTE "cial";
const char kBinaryNotice[] = "fichier binaire";

void noticePassedOver(const std::string& path, const char* why) {
    logLine("!!! Parsing impossible de %s (%s)\n", path.c_str(), why);
}

bool OutputMode::accepts(const platform::DirectoryEntry& entry, const std::string&, const std::string& path,
                         bool wildcard) const {
    // A FIFO, a device or a socket is never opened when a wildcard matched
    // it, nor replaced when it was named.
    if (entry.identity.exists && !entry.isRegular && (wildcard || plainFilesOnly())) {
        noticePassedOver(path, kSpecialNotice);
        return false;
    }
    return true;
}

namespace {

std::unique_ptr<OutputMode> mode;

}  // namespace

OutputMode& outputMode() {
    if (!mode) {
        if (settings.replace) {
            mode = std::make_unique<ReplaceMode>();
        } else if (settings.append) {
            mode = std::make_unique<AppendMode>();
        } else {
            mode = std::make_unique<ConsoleMode>();
        }
    }
    return *mode;
}

// What one run made counts for that run alone. (Not in the mode's
// destructor: at the process's exit the records may be gone before it.)
void forgetOutputMode() {
    mode.reset();
    forgetResults();
}
