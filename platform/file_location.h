// Where a file is, as the system beneath reaches it.
#pragma once

#include <memory>
#include <string>
#include <utility>

namespace platform {

// A directory the platform holds open (defined by each platform): what is
// found in it is reached through it, whatever becomes of its path.
class OpenDirectory;

// Made by the platform, either from a path as the tool writes it or from a
// directory and one name found in it; callers hand it back as it is and
// never show it. A name found in a directory stays one name: whatever bytes
// it holds ('\', ':', a drive-like start), it never leads elsewhere.
struct FileLocation {
    FileLocation() = default;
    FileLocation(std::string path, std::shared_ptr<OpenDirectory> in = nullptr,
                 std::shared_ptr<OpenDirectory> opened = nullptr)
        : native(std::move(path)), base(std::move(in)), self(std::move(opened)) {}

    std::string native;
    // Where the system takes `native` from: the working directory when
    // empty, else a directory held open (on POSIX; on Windows `native` is a
    // whole path and this stays empty).
    std::shared_ptr<OpenDirectory> base;
    // For a directory openDirectory() has opened: the directory itself.
    std::shared_ptr<OpenDirectory> self;
};

// Opens the directory `location` names and holds it open for as long as
// `location`, or any location found in it, lives: its entries are then
// reached through the open directory, not through its path, so a directory
// put in its place, or a link to another, is never reached instead. Without
// `followLinks` a symbolic link (a reparse point) under the name is never
// followed: the call fails with ELOOP (ENOTDIR when a file stands there).
// False (errno set, `location` unchanged) when it cannot.
bool openDirectory(FileLocation& location, bool followLinks);

// The file or directory a path as the tool writes it names. The tool builds
// paths with '\' (and accepts '/') as separators, and a drive prefix such
// as "c:" stands for the root. On POSIX each component is looked up
// ignoring case when no exact match exists, so "SRC\x.txt" finds
// "src/x.txt"; a component found nowhere is kept as written. On Windows the
// path is used as it stands, and the file system ignores case by itself.
FileLocation locatePath(const std::string& path);

// The entry `name` of `directory`, the name taken as it stands.
FileLocation locateName(const FileLocation& directory, const std::string& name);

// The entry of `directory` that `name` finds the way the tool finds names
// (on POSIX: the exact name, else one equal ignoring ASCII case). False
// when there is none. The directory's names are read at most once a run,
// so asking for many names costs no more than one listing.
bool findName(const FileLocation& directory, const std::string& name, FileLocation& found);

// What an argument of the command line names when it is read exactly as
// written, relative to the working directory: only the system's own
// separators divide it ('/' on POSIX; '\', '/' and a drive's ':' on
// Windows), nothing in it is a wildcard, and no case is ignored.
struct ExactPath {
    bool exists = false;
    bool isDirectory = false;  // a directory, or a link to one
    std::string directory;     // all before the last component, its separator included
    std::string name;          // the last component
};
ExactPath examineExactPath(const std::string& path);

// The directory part of an ExactPath (or "."), reached exactly as written:
// none of its bytes is read as anything but the system reads it.
FileLocation locateExactDirectory(const std::string& directory);

}  // namespace platform
