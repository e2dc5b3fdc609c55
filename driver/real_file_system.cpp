// The file system of the machine: every call goes to the platform.
#include "driver/file_system.h"

#include "platform/descriptors.h"
#include "platform/file_ops.h"

namespace {

class RealFileSystem : public FileSystem {
public:
    platform::FileLocation locatePath(const std::string& path) override { return platform::locatePath(path); }
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
