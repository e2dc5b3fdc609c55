// The file system in memory, for the tests of the driver: a map of paths
// to directories, files, links and special files, with a record of the
// calls that change or read a file, any of which fails on demand.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "driver/file_system.h"

class MemoryFileSystem : public FileSystem {
public:
    enum class Kind { File, Directory, Link, Special };
    struct Node {
        Kind kind = Kind::File;
        std::string contents;
        std::string target;  // a link's: a path of this file system
        bool readOnly = false;
        bool vanishes = false;  // listed, but gone when looked at or opened
        platform::FileIdentity identity;
    };

    // Paths are relative to the working directory (the root), their
    // components divided by '/' as on POSIX; the tool's own lookups
    // (openDirectory not exactly) take '\' as a separator too.
    MemoryFileSystem();
    void addDirectory(const std::string& path);
    void addFile(const std::string& path, const std::string& contents = std::string(), bool readOnly = false);
    void addLink(const std::string& path, const std::string& target);
    void addSpecial(const std::string& path);
    void addVanishing(const std::string& path);
    // The standard descriptor `descriptor` is the file `path`.
    void setDescriptorFile(int descriptor, const std::string& path);

    // Standard input: its bytes, or closed.
    std::string standardInput;
    bool standardInputClosed = false;
    // Whether a listing describes its entries whole (as the Windows one
    // does) or tells their kind alone (as a POSIX one does).
    bool describesEntries = false;
    // The calls that reach a file, one line each: "lock", "open PATH",
    // "append PATH", "cut back PATH", "create PATH", "attributes PATH",
    // "closed PATH" (a result or the append file), "rename FROM TO",
    // "remove PATH", "write PATH" (the append file), "describe PATH".
    std::vector<std::string> calls;
    // Calls that fail, by their whole line or their first word: "closed"
    // and "write" with ENOSPC, "open" of standard input ("open -") with
    // EIO at the read after its bytes, the others with EACCES; "memory"
    // makes every read of an input run out of memory (std::bad_alloc);
    // "unwritable": the working directory takes no lock.
    std::vector<std::string> failing;
    // Every file's path and contents, directories and links left out.
    std::map<std::string, std::string> files() const;
    // Inputs opened and not closed yet.
    int openInputs = 0;

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

    // For the objects it hands out.
    // Records the call; false (errno set) when it is one that fails.
    bool asked(const std::string& line);
    Node* node(const std::string& path);
    Node& add(const std::string& path, Kind kind);
    void remove(const std::string& path) { nodes_.erase(path); }
    // The path of the node with this identity, or "" when none.
    std::string pathOf(const platform::FileIdentity& identity) const;

private:
    // The node a path reaches, links followed; null when none.
    Node* reached(const std::string& path);
    // The path as the tool finds it: each component exactly, else ignoring
    // case.
    std::string found(const std::string& path);
    void fillFacts(platform::DirectoryEntry& entry, const Node& file) const;

    std::map<std::string, Node> nodes_;                          // by path, components joined by '/'; the root is ""
    std::map<std::string, std::vector<std::string>> namesRead_;  // by findName, once a directory
    std::map<int, std::string> descriptorFiles_;
    std::uint64_t nextInode_ = 1;
};

// "a/./b" as "a/b" ("a\b/c" as "a/b/c" when `backslashSeparates`); "."
// and "" as "".
std::string normalisedPath(const std::string& path, bool backslashSeparates = false);
