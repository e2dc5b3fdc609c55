// A file system held in memory for the tests of the walk and of replace
// mode: directories, files with their contents, links, special files,
// read-only files and files that vanish once listed. It records what it
// was asked, which inputs are open, and fails the calls it is told to.
// The descriptors it hands out are real ones, of anonymous temporary files,
// so that the text streams read inputs and write results as they do in a
// run; a result's bytes become its file's contents when it is closed.
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
    // components divided by '/' or '\'.
    MemoryFileSystem();
    void addDirectory(const std::string& path);
    void addFile(const std::string& path, const std::string& contents = std::string(), bool readOnly = false);
    void addLink(const std::string& path, const std::string& target);
    void addSpecial(const std::string& path);
    // A file the listing shows that is gone by the time it is looked at.
    void addVanishing(const std::string& path);
    // Null when nothing has that name (links not followed).
    Node* node(const std::string& path);
    // The standard descriptor `descriptor` writes to the file `path`.
    void setDescriptorFile(int descriptor, const std::string& path);

    // Whether a listing describes its entries whole (as the Windows one
    // does) or tells their kind alone (as a POSIX one does).
    bool describesEntries = false;
    // What was asked, one line a call that reaches a file: "list DIR
    // PATTERN", "exact DIR NAME", "describe PATH", "open PATH", "close PATH",
    // "create PATH", "attributes PATH", "closed PATH" (a result),
    // "rename FROM TO", "remove PATH".
    std::vector<std::string> calls;
    // Calls that fail, by their whole line above or its first word
    // ("closed": ENOSPC, the others EACCES).
    std::vector<std::string> failing;
    // Every file's path and contents, directories and links left out.
    std::map<std::string, std::string> files() const;
    // The number of inputs opened and not closed yet.
    std::size_t openInputs() const { return open_.size(); }

    platform::ExactPath examineExactPath(const std::string& path) override;
    platform::FileLocation locatePath(const std::string& path) override;
    platform::FileLocation locateName(const platform::FileLocation& directory, const std::string& name) override;
    bool findName(const platform::FileLocation& directory, const std::string& name,
                  platform::FileLocation& found) override;
    platform::FileLocation locateExactDirectory(const std::string& directory) override;
    bool openDirectory(platform::FileLocation& location, bool followLinks) override;
    bool findFiles(const platform::FileLocation& directory, const std::string& pattern,
                   std::vector<platform::DirectoryEntry>& entries, bool directoriesOnly) override;
    bool findExactName(const platform::FileLocation& directory, const std::string& name,
                       std::vector<platform::DirectoryEntry>& entries) override;
    bool describeEntry(platform::DirectoryEntry& entry) override;
    int openInput(const platform::FileLocation& location, bool plainFilesOnly, bool followLinks) override;
    bool describeDescriptor(int descriptor, platform::FileFacts& facts) override;
    void closeDescriptor(int descriptor) override;
    platform::FileIdentity fileIdentity(const platform::FileLocation& location) override;
    platform::FileIdentity descriptorIdentity(int descriptor) override;
    int createPrivateFile(const platform::FileLocation& location, platform::FileFacts& made) override;
    bool copyAttributes(int descriptor, const platform::FileFacts& made, int inputDescriptor,
                        const platform::FileFacts& input) override;
    bool closeWritten(int descriptor) override;
    bool removeIfSame(const platform::FileLocation& location, const platform::FileIdentity& identity) override;
    bool renameIfSame(const platform::FileLocation& source, const platform::FileIdentity& identity,
                      const platform::FileLocation& target, bool replaceExisting) override;

private:
    // Records the call; false (errno set) when it is one that fails.
    bool asked(const std::string& line);
    // The path of the node with this identity, "\x01" when none.
    std::string pathOf(const platform::FileIdentity& identity) const;
    Node& add(const std::string& path, Kind kind);
    // The node a path reaches, links followed; null when none (or it
    // vanished).
    Node* reached(const std::string& path);
    std::string reachedPath(const std::string& path);
    platform::DirectoryEntry entryFor(const std::string& directory, const std::string& name);
    void fillFacts(platform::DirectoryEntry& entry, const Node& file);

    std::map<std::string, Node> nodes_;  // by normalised path; the root is ""
    std::map<int, std::string> open_;    // open inputs: descriptor to path
    std::map<int, platform::FileIdentity> written_;  // open results
    std::map<std::string, std::vector<std::string>> namesRead_;  // by findName
    std::map<int, std::string> descriptorFiles_;
    std::uint64_t nextInode_ = 1;
};
