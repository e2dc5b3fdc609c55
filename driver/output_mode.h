// Where the results of a run go, one object per mode, chosen once for the
// run: the console (standard output), one file every result is appended to
// (-a), or each input's own place (-r). Each mode keeps its own rules and
// state; the per-file path reads top to bottom: judge the entry, prepare,
// open, convert, then commit or abandon.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "driver/failure.h"
#include "driver/file_system.h"
#include "driver/reporter.h"
#include "driver/run_settings.h"
#include "parser/convert_input.h"
#include "platform/console.h"
#include "platform/text_output.h"

// One input the walk selected (or standard input).
struct SelectedFile {
    std::string path;                  // as shown: the directory, '\' and the name
    platform::FileLocation directory;  // where it was found
    std::string name;                  // one name in that directory, whatever it holds
    platform::FileLocation location;   // that name in that directory
    bool fromSearch = false;           // a wildcard found it: only a plain file is read
    std::int64_t size = 0;             // as its directory entry, or its descriptor, told
};

class OutputMode {
public:
    virtual ~OutputMode() = default;

    // Before the walk (a failure ends the run before any input is opened),
    // and after it.
    virtual Failure begin() { return Failure(); }
    virtual void end() {}

    // Why a listed entry is not taken (`wildcard`: a wildcard found it), or
    // PassedOver::None. `dir` and `path` are as the walk shows them.
    virtual Notice judge(const platform::DirectoryEntry& entry, const std::string& dir, const std::string& path,
                         bool wildcard) const;
    // True for a file of the mode's own, never an input.
    virtual bool ownsFile(const platform::FileIdentity&) const { return false; }
    // Whether inputs are opened only as plain files, and through links.
    virtual bool plainFilesOnly() const { return false; }
    virtual bool followsLinks() const { return true; }
    // Whether only text may stand in for an input: one that holds a NUL, or
    // bytes after the 0x1A that ends its text, is then passed over.
    virtual bool textOnly() const { return false; }
    virtual ByteOrderMark byteOrderMark() const { return ByteOrderMark::Drop; }

    // Before anything is printed for the opened input: a notice when the
    // input is passed over.
    virtual Notice prepare(const SelectedFile&, const platform::FileFacts&) { return Notice(); }
    // Opens where the result goes: `sink`, or null for standard output.
    virtual Failure open(const SelectedFile& file, platform::ByteSink*& sink) = 0;
    // The result, `resultSize` bytes, was written whole from `input` (still
    // open): it takes its place. On failure nothing of it stays.
    virtual Outcome commit(const SelectedFile& file, Input& input, std::int64_t resultSize) = 0;
    // The result is given up: nothing of it stays.
    virtual void abandon() = 0;
};

// The mode the settings choose; `console` is standard output.
std::unique_ptr<OutputMode> makeOutputMode(const RunSettings& settings, FileSystem& files, Reporter& reporter,
                                           platform::TextOutputStream& console);

// The message of a standard output that cannot take the converted text.
constexpr const char* kStandardOutputError = "Erreur d'" TXT2VB_E_ACUTE "criture sur la sortie standard";
// The message of an output file (the append file, a result) that cannot
// be created or written whole.
constexpr const char* kOutputFileError = "Erreur de creation du fichier de sortie";
