// The file system in the driver's words: the arguments named exactly,
// directories opened and listed, inputs opened as sources (standard input
// among them), the append target, the lock of a replace run and the
// replacement of one input by its result. The tool uses the machine's
// (real_file_system.h); tests use one held in memory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/byte_channel.h"
#include "platform/file_identity.h"
#include "platform/file_location.h"
#include "platform/file_search.h"
#include "platform/system_error.h"
#include "platform/working_files.h"

// An input opened for reading: its bytes, and what it is.
class Input : public platform::ByteSource {
public:
    virtual const platform::FileFacts& facts() const = 0;
    // False once another process wrote to the input since it was opened.
    virtual bool unchanged() const = 0;
};

// The append file, open for the result of one input.
class AppendTarget {
public:
    virtual ~AppendTarget() = default;
    virtual platform::ByteSink& sink() = 0;
    // Closes the file, keeping what was appended; false (error set) when it
    // may not all have reached the file.
    virtual bool close(platform::SystemError& error) = 0;
    // Cuts the file back to what it held when opened, and closes it.
    virtual void cutBack() = 0;
};

// The replacement of one input by its result, as one transaction (see
// platform/replacement.h for each step's promise). Nothing of a result not
// put in place stays.
class Replacement {
public:
    virtual ~Replacement() = default;
    virtual platform::ByteSink& sink() = 0;
    // The result under way, one of the run's own files; nothing once placed.
    virtual platform::FileIdentity identity() const = 0;
    // Gives the written result the attributes of `input` (an input of the
    // same file system), closes both.
    virtual bool complete(Input& input, platform::SystemError& error) = 0;
    // In place of `input` at `target`, while `target` still holds it; or,
    // with `input` not given, at the free name `target`.
    virtual bool place(const platform::FileLocation& target, const platform::FileIdentity& input,
                       platform::SystemError& error) = 0;
    // After place() at a free name: removes the input while its name still
    // holds it; else the result is taken back from the new name.
    virtual bool removeInput(const platform::FileLocation& location, const platform::FileIdentity& input,
                             platform::SystemError& error) = 0;
    virtual void discard() = 0;
};

// The lock a replace run holds on its working directory until it ends.
class RunLock {
public:
    virtual ~RunLock() = default;
    virtual platform::FileIdentity identity() const = 0;
};

class FileSystem {
public:
    enum class Listing { Matching, Directories, ExactName };

    virtual ~FileSystem() = default;

    // What an argument names read exactly as written.
    virtual platform::ExactPath examineArgument(const std::string& path) = 0;
    // A directory given by a path (as the tool writes it, or `exactly` as
    // the system reads it), opened when it can be: a directory that cannot
    // be opened is searched by its path, which reports what fails.
    virtual platform::FileLocation openDirectory(const std::string& path, bool exactly) = 0;
    // A directory found in one, opened through it without following a link.
    virtual bool openSubdirectory(platform::FileLocation& location, platform::SystemError& error) = 0;
    // The entries of `directory` whose names match `pattern` (Matching),
    // the same keeping directories alone when that saves looks
    // (Directories), or the one named `pattern` exactly (ExactName).
    virtual bool list(const platform::FileLocation& directory, const std::string& pattern, Listing listing,
                      std::vector<platform::DirectoryEntry>& entries, platform::SystemError& error) = 0;
    // Fills in what a listing left out of an entry.
    virtual bool describe(platform::DirectoryEntry& entry, platform::SystemError& error) = 0;
    // The entry of `directory` that `name` finds the way the tool finds
    // names (on POSIX also ignoring case); false when none.
    virtual bool findName(const platform::FileLocation& directory, const std::string& name,
                          platform::FileLocation& found) = 0;
    virtual platform::FileLocation locateName(const platform::FileLocation& directory, const std::string& name) = 0;
    // Which file a location, a path as the tool writes it, or a standard
    // descriptor is.
    virtual platform::FileIdentity identify(const platform::FileLocation& location) = 0;
    virtual platform::FileIdentity identifyPath(const std::string& path) = 0;
    virtual platform::FileIdentity identifyStandard(int descriptor) = 0;

    virtual std::unique_ptr<Input> openInput(const platform::FileLocation& location, bool plainFilesOnly,
                                             bool followLinks, platform::SystemError& error) = 0;
    virtual std::unique_ptr<Input> openStandardInput(platform::SystemError& error) = 0;
    virtual std::unique_ptr<AppendTarget> openAppendTarget(const std::string& path, platform::SystemError& error) = 0;
    // The lock of the working directory, waited for; null with `why` set
    // when it cannot be taken, null with `why` empty when the working
    // directory may not be written (the run goes on without a lock).
    virtual std::unique_ptr<RunLock> takeLock(std::string& why) = 0;
    virtual std::unique_ptr<Replacement> beginReplacement(const platform::FileLocation& directory,
                                                          const std::string& inputName,
                                                          platform::SystemError& error) = 0;
};
