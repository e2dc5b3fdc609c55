#include "driver/real_file_system.h"

#include <cerrno>

#include "platform/append_file.h"
#include "platform/file_lock.h"
#include "platform/file_ops.h"
#include "platform/input_file.h"
#include "platform/replacement.h"

namespace {

class RealInput final : public Input {
public:
    long read(char* into, std::size_t capacity) override { return file.read(into, capacity); }
    bool isTerminal() const override { return file.isTerminal(); }
    const platform::FileFacts& facts() const override { return file.facts(); }
    bool unchanged() const override { return file.unchanged(); }
    platform::InputFile file;
};

class RealAppendTarget final : public AppendTarget {
public:
    platform::ByteSink& sink() override { return file.sink(); }
    bool close(platform::SystemError& error) override { return file.close(error); }
    void cutBack() override { file.cutBack(); }
    platform::AppendFile file;
};

class RealReplacement final : public Replacement {
public:
    platform::ByteSink& sink() override { return replacement.sink(); }
    platform::FileIdentity identity() const override { return replacement.identity(); }
    bool complete(Input& input, platform::SystemError& error) override {
        return replacement.complete(static_cast<RealInput&>(input).file, error);
    }
    bool place(const platform::FileLocation& target, const platform::FileIdentity& input,
               platform::SystemError& error) override {
        return replacement.place(target, input, error);
    }
    bool removeInput(const platform::FileLocation& location, const platform::FileIdentity& input,
                     platform::SystemError& error) override {
        return replacement.removeInput(location, input, error);
    }
    void discard() override { replacement.discard(); }
    platform::Replacement replacement;
};

class RealLock final : public RunLock {
public:
    platform::FileIdentity identity() const override { return lock.identity(); }
    platform::ExclusiveFileLock lock;
};

}  // namespace

platform::ExactPath RealFileSystem::examineArgument(const std::string& path) {
    return platform::examineExactPath(path);
}

platform::FileLocation RealFileSystem::openDirectory(const std::string& path, bool exactly) {
    platform::FileLocation location = exactly ? platform::locateExactDirectory(path) : platform::locatePath(path);
    platform::openDirectory(location, true);
    return location;
}

bool RealFileSystem::openSubdirectory(platform::FileLocation& location, platform::SystemError& error) {
    if (platform::openDirectory(location, false)) return true;
    error = platform::SystemError::last("opendir(" + location.native + ")");
    return false;
}

bool RealFileSystem::list(const platform::FileLocation& directory, const std::string& pattern, Listing listing,
                          std::vector<platform::DirectoryEntry>& entries, platform::SystemError& error) {
    const bool listed = listing == Listing::ExactName
                            ? platform::findExactName(directory, pattern, entries)
                            : platform::findFiles(directory, pattern, entries, listing == Listing::Directories);
    if (!listed) error = platform::SystemError::last("readdir(" + directory.native + ")");
    return listed;
}

bool RealFileSystem::describe(platform::DirectoryEntry& entry, platform::SystemError& error) {
    if (platform::describeEntry(entry)) return true;
    error = platform::SystemError::last("stat(" + entry.location.native + ")");
    return false;
}

bool RealFileSystem::findName(const platform::FileLocation& directory, const std::string& name,
                              platform::FileLocation& found) {
    return platform::findName(directory, name, found);
}

platform::FileLocation RealFileSystem::locateName(const platform::FileLocation& directory, const std::string& name) {
    return platform::locateName(directory, name);
}

platform::FileIdentity RealFileSystem::identify(const platform::FileLocation& location) {
    return platform::fileIdentity(location);
}

platform::FileIdentity RealFileSystem::identifyPath(const std::string& path) {
    return platform::fileIdentity(platform::locatePath(path));
}

platform::FileIdentity RealFileSystem::identifyStandard(int descriptor) {
    return platform::descriptorIdentity(descriptor);
}

std::unique_ptr<Input> RealFileSystem::openInput(const platform::FileLocation& location, bool plainFilesOnly,
                                                 bool followLinks, platform::SystemError& error) {
    auto input = std::make_unique<RealInput>();
    if (!input->file.open(location, plainFilesOnly, followLinks, error)) return nullptr;
    return input;
}

std::unique_ptr<Input> RealFileSystem::openStandardInput(platform::SystemError& error) {
    auto input = std::make_unique<RealInput>();
    if (!input->file.openStandardInput(error)) return nullptr;
    return input;
}

std::unique_ptr<AppendTarget> RealFileSystem::openAppendTarget(const std::string& path, platform::SystemError& error) {
    auto target = std::make_unique<RealAppendTarget>();
    if (!target->file.open(path, error)) return nullptr;
    return target;
}

std::unique_ptr<RunLock> RealFileSystem::takeLock(std::string& why) {
    auto lock = std::make_unique<RealLock>();
    const platform::FileLocation name = platform::locateName(platform::FileLocation(), platform::kLockFileName);
    if (lock->lock.acquire(name, &why)) return lock;
    // A working directory the run may not write takes no lock: the results
    // are made beside their targets, and the run goes on without one.
    if (errno == EACCES || errno == EPERM || errno == EROFS) why.clear();
    return nullptr;
}

std::unique_ptr<Replacement> RealFileSystem::beginReplacement(const platform::FileLocation& directory,
                                                              const std::string& inputName,
                                                              platform::SystemError& error) {
    auto replacement = std::make_unique<RealReplacement>();
    if (!replacement->replacement.begin(directory, inputName, error)) return nullptr;
    return replacement;
}
