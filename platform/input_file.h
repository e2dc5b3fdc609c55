// A file or standard input opened for reading, as a source of bytes for the
// text input stream; closed with the object.
#pragma once

#include "platform/byte_channel.h"
#include "platform/file_location.h"
#include "platform/system_error.h"
#include "platform/working_files.h"

namespace platform {

class InputFile final : public ByteSource {
public:
    InputFile() = default;
    ~InputFile() override { close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens `location` for reading and looks at what it opened. With
    // `plainFilesOnly` the open never waits (for a FIFO's writer, say), so
    // anything but a plain file can be refused unread; without
    // `followLinks` a link under the name fails the open with ELOOP.
    bool open(const FileLocation& location, bool plainFilesOnly, bool followLinks, SystemError& error);
    // Standard input, through a descriptor of its own: closing it leaves
    // descriptor 0 as it is.
    bool openStandardInput(SystemError& error);

    long read(char* into, std::size_t capacity) override;
    bool isTerminal() const override;
    const FileFacts& facts() const { return facts_; }
    // Whether the file still has the size and the time of last write it had
    // when opened: false when another process wrote to it meanwhile (or it
    // cannot be looked at).
    bool unchanged() const;
    int descriptor() const { return source_.descriptor(); }
    void close();

private:
    bool describe(const std::string& what, SystemError& error);

    DescriptorSource source_;
    FileFacts facts_;
};

}  // namespace platform
