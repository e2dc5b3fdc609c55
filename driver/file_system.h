// The file system as the walk and replace mode reach it: reading the
// arguments given exactly, listing a directory, opening a directory found
// in it, opening and describing an entry, telling which file a location or
// a descriptor is, and making, placing and removing the results of replace
// mode. The run uses the real one; tests put a file system held in memory
// in its place.
#pragma once

#include <string>
#include <vector>

#include "platform/file_identity.h"
#include "platform/file_location.h"
#include "platform/file_search.h"
#include "platform/working_files.h"

// Each call means what the platform function of the same name means.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual platform::ExactPath examineExactPath(const std::string& path) = 0;
    virtual platform::FileLocation locatePath(const std::string& path) = 0;
    virtual platform::FileLocation locateName(const platform::FileLocation& directory, const std::string& name) = 0;
    virtual bool findName(const platform::FileLocation& directory, const std::string& name,
                          platform::FileLocation& found) = 0;
    virtual platform::FileLocation locateExactDirectory(const std::string& directory) = 0;
    virtual bool openDirectory(platform::FileLocation& location, bool followLinks) = 0;

    virtual bool findFiles(const platform::FileLocation& directory, const std::string& pattern,
                           std::vector<platform::DirectoryEntry>& entries, bool directoriesOnly) = 0;
    virtual bool findExactName(const platform::FileLocation& directory, const std::string& name,
                               std::vector<platform::DirectoryEntry>& entries) = 0;
    virtual bool describeEntry(platform::DirectoryEntry& entry) = 0;

    virtual int openInput(const platform::FileLocation& location, bool plainFilesOnly, bool followLinks) = 0;
    virtual bool describeDescriptor(int descriptor, platform::FileFacts& facts) = 0;
    virtual void closeDescriptor(int descriptor) = 0;

    virtual platform::FileIdentity fileIdentity(const platform::FileLocation& location) = 0;
    virtual platform::FileIdentity descriptorIdentity(int descriptor) = 0;

    // The results of replace mode. closeWritten is closeDescriptorChecked:
    // false when what was written may not have reached the file.
    virtual int createPrivateFile(const platform::FileLocation& location, platform::FileFacts& made) = 0;
    virtual bool copyAttributes(int descriptor, const platform::FileFacts& made, int inputDescriptor,
                                const platform::FileFacts& input) = 0;
    virtual bool closeWritten(int descriptor) = 0;
    virtual bool removeIfSame(const platform::FileLocation& location, const platform::FileIdentity& identity) = 0;
    virtual bool renameIfSame(const platform::FileLocation& source, const platform::FileIdentity& identity,
                              const platform::FileLocation& target, bool replaceExisting) = 0;
};

// The file system the walk uses: the real one unless another was put in
// its place.
FileSystem& fileSystem();
// Puts `replacement` in place (null: the real one again) and returns the
// one it replaces.
FileSystem* useFileSystem(FileSystem* replacement);
