// Where the results of a run go, one object per mode, chosen once for the
// run: the console (standard output), one file every result is appended to
// (-a), or each input's own place (-r). The per-file path reads top to
// bottom: accept the entry, prepare, open, convert, then commit or abandon.
#pragma once

#include <cstdint>
#include <string>

#include "driver/failure.h"
#include "driver/process_file.h"
#include "parser/convert_input.h"
#include "platform/file_search.h"
#include "platform/working_files.h"

class OutputMode {
public:
    virtual ~OutputMode() = default;

    // Before the walk (a failure ends the run before any input is opened),
    // and after it.
    virtual Failure begin() { return Failure(); }
    virtual void end() {}

    // Whether a listed entry is taken (`wildcard`: a wildcard found it);
    // gives the notice of an entry passed over. `dir` and `path` are as
    // shown.
    virtual bool accepts(const platform::DirectoryEntry& entry, const std::string& dir, const std::string& path,
                         bool wildcard) const;
    // True for a file of the mode's own, never an input.
    virtual bool ownsFile(const platform::FileIdentity&) const { return false; }
    // Whether inputs are opened only as plain files, and through links.
    virtual bool plainFilesOnly() const { return false; }
    virtual bool followsLinks() const { return true; }
    // Whether only text may be converted: an input that holds a NUL byte,
    // or bytes after the 0x1A that ends its text, is then passed over.
    virtual bool textOnly() const { return false; }

    // Before anything is printed for the opened input: false (with the
    // notice given) when the file is passed over.
    virtual bool prepare(const SelectedFile&, const platform::FileFacts&) { return true; }
    // The descriptor the result is written to in `fd`, -1 for standard
    // output; or the failure when it cannot be opened.
    virtual Failure open(const SelectedFile& file, const platform::FileFacts& input, int& fd) = 0;
    virtual ByteOrderMark byteOrderMark() const { return ByteOrderMark::Drop; }
    // The result, `resultSize` bytes, was written whole to `resultFd` (still
    // open) from the input `opened` (still open): it takes its place. The
    // input is closed by then (Windows neither replaces nor removes an open
    // file). On failure nothing of the result stays.
    virtual Failure commit(const SelectedFile& file, OpenedInput& opened, int resultFd, std::int64_t resultSize) = 0;
    // After conversion, before commit: the result is given up (`resultFd`
    // still open, or -1), and nothing of it stays.
    virtual void abandon(int resultFd) = 0;
};

// The mode the settings choose, made at its first call.
OutputMode& outputMode();
// Forgets the mode made, and the results and names its run took: the next
// call makes it again from the settings (which tests change between runs).
void forgetOutputMode();

// The notice of an entry passed over: "!!! Parsing impossible de PATH
// (WHY)", also under -s; the run goes on.
void noticePassedOver(const std::string& path, const char* why);
extern const char kLinkNotice[];      // "lien symbolique"
extern const char kVanishedNotice[];  // "fichier disparu"
extern const char kSpecialNotice[];   // "fichier spécial"
extern const char kBinaryNotice[];    // "fichier binaire"
