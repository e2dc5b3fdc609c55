// The file system of the machine: every call goes to the platform.
#include "driver/file_system.h"

#include "platform/descriptors.h"
#include "platform/file_ops.h"

namespace {

class RealFileSystem : public FileSystem {
public:
    platform::ExactPath examineExactPath(const std::string& path) override { return platform::examineExactPath(path); }
    platform::FileLocation locatePath(const std::string& path) override { return platform::locatePath(path); }
    platform::FileLocation locateName(const platform::FileLocation& directory, const std::string& name) override {
        return platform::locateName(directory, name);
    }
    bool findName(const platform::FileLocation& directory, const std::string& name,
                  platform::FileLocation& found) override {
        return platform::findName(directory, name, found);
    }
    platform::FileLocation locateExactDirectory(const std::string& directory) override {
        return platform::locateExactDirectory(directory);
    }
    bool openDirectory(platform::FileLocation& location, bool followLinks) override {
        return platform::openDirectory(location, followLinks);
    }
    bool findFiles(const platform::FileLocation& directory, const std::string& pattern,
                   std::vector<platform::DirectoryEntry>& entries, bool directoriesOnly) override {
        return platform::findFiles(directory, pattern, entries, directoriesOnly);
    }
    bool findExactName(const platform::FileLocation& directory, const std::string& name,
                       std::vector<platform::DirectoryEntry>& entries) override {
        return platform::findExactName(directory, name, entries);
    }
    bool describeEntry(platform::DirectoryEntry& entry) override { return platform::describeEntry(entry); }
    int openInput(const platform::FileLocation& location, bool plainFilesOnly, bool followLinks) override {
        return platform::openInput(location, plainFilesOnly, followLinks);
    }
    bool describeDescriptor(int descriptor, platform::FileFacts& facts) override {
        return platform::describeDescriptor(descriptor, facts);
    }
    void closeDescriptor(int descriptor) override { platform::closeDescriptor(descriptor); }
    platform::FileIdentity fileIdentity(const platform::FileLocation& location) override {
        return platform::fileIdentity(location);
    }
    platform::FileIdentity descriptorIdentity(int descriptor) override {
        return platform::descriptorIdentity(descriptor);
    }
    int createPrivateFile(const platform::FileLocation& location, platform::FileFacts& made) override {
        return platform::createPrivateFile(location, made);
    }
    bool copyAttributes(int descriptor, const platform::FileFacts& made, int inputDescriptor,
                        const platform::FileFacts& input) override {
        return platform::copyAttributes(descriptor, made, inputDescriptor, input);
    }
    bool closeWritten(int descriptor) override { return platform::closeDescriptorChecked(descriptor); }
    bool removeIfSame(const platform::FileLocation& location, const platform::FileIdentity& identity) override {
        return platform::removeIfSame(location, identity);
    }
    bool renameIfSame(const platform::FileLocation& source, const platform::FileIdentity& identity,
                      const platform::FileLocation& target, bool replaceExisting) override {
        return platform::renameIfSame(source, identity, target, replaceExisting);
    }
};

RealFileSystem realFileSystem;
FileSystem* current = &realFileSystem;

}  // namespace

FileSystem& fileSystem() { return *current; }

FileSystem* useFileSystem(FileSystem* replacement) {
    FileSystem* previous = current;
    current = replacement != nullptr ? replacement : &realFileSystem;
    return previous;
}
