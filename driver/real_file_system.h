// The file system of the machine: every call goes to the platform.
#pragma once

#include "driver/file_system.h"

class RealFileSystem final : public FileSystem {
public:
    platform::ExactPath examineArgument(const std::string& path) override;
    platform::FileLocation openDirectory(const std::string& path, bool exactly) override;
    bool openSubdirectory(platform::FileLocation& location, platform::SystemError& error) override;
    bool list(const platform::FileLocation& directory, const std::string& pattern, Listing listing,
              std::vector<platform::DirectoryEntry>& entries, platform::SystemError& error) override;
    bool describe(platform::DirectoryEntry& entry, platform::SystemError& error) override;
    bool findName(const platform::FileLocation& directory, const std::string& name,
                  platform::FileLocation& found) override;
    platform::FileLocation locateName(const platform::FileLocation& directory, const std::string& name) override;
    platform::FileIdentity identify(const platform::FileLocation& location) override;
    platform::FileIdentity identifyPath(const std::string& path) override;
    platform::FileIdentity identifyStandard(int descriptor) override;
    std::unique_ptr<Input> openInput(const platform::FileLocation& location, bool plainFilesOnly, bool followLinks,
                                     platform::SystemError& error) override;
    std::unique_ptr<Input> openStandardInput(platform::SystemError& error) override;
    std::unique_ptr<AppendTarget> openAppendTarget(const std::string& path, platform::SystemError& error) override;
    std::unique_ptr<RunLock> takeLock(std::string& why) override;
    std::unique_ptr<Replacement> beginReplacement(const platform::FileLocation& directory, const std::string& inputName,
                                                  platform::SystemError& error) override;
};
