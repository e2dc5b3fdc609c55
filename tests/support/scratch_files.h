// The scratch files and descriptors the platform tests work on, the same
// on every system: a fresh directory per test, files written and read
// whole, temporary descriptors and pipes.
#pragma once

#include <string>
#include <vector>

#include "platform/file_location.h"

// A fresh directory beneath the system's temporary directory, removed with
// all it holds (read-only files included) on destruction.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& base = std::string());
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    bool ok() const { return !path_.empty(); }
    // The directory as the system writes it ("C:\...\txt2vb-test-..." or
    // "/tmp/txt2vb-test-...").
    const std::string& path() const { return path_; }
    // `name` inside the directory, joined with '/' (both systems take it).
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Where the platform finds `name` inside the directory (see locatePath).
    platform::FileLocation at(const std::string& name) const { return platform::locatePath(*this / name); }

private:
    std::string path_;
};

// Runs a scope inside another directory and goes back afterwards.
class InDirectory {
public:
    explicit InDirectory(const std::string& directory);
    ~InDirectory();
    InDirectory(const InDirectory&) = delete;
    InDirectory& operator=(const InDirectory&) = delete;
    bool ok() const { return entered_; }

private:
    std::string previous_;
    bool entered_ = false;
};

// The directory the system keeps temporary files in.
std::string systemTemporaryDirectory();

// Writes `content` as the whole file (binary); false when that failed.
bool writeFile(const std::string& path, const std::string& content);
// The whole file's bytes, or "" when it cannot be read.
std::string readFile(const std::string& path);
// True when something (a file, a directory, a link) has that name.
bool exists(const std::string& path);
bool makeDirectory(const std::string& path);
// Sets or clears what makes a file read-only: the owner's write permission,
// or the read-only attribute.
bool setReadOnly(const std::string& path, bool readOnly);
// The names in a directory, sorted by their bytes ("." and ".." left out).
std::vector<std::string> namesIn(const std::string& directory);
std::string withBackslashes(std::string path);

// A descriptor open for reading and writing on a new temporary file that
// holds `content`, positioned at its start. The file goes when the
// descriptor is closed. -1 on failure.
int temporaryFileWith(const std::string& content);
// Moves the descriptor's position; false on failure.
bool seekTo(int descriptor, long long offset);
// A pipe: ends[0] reads, ends[1] writes, both binary. False on failure.
bool makePipe(int ends[2]);
