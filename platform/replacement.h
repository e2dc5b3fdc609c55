// The replacement of one input file by its result, as one transaction: the
// result is made private beside its input under a fresh working name,
// written through sink(), given the input's attributes, closed, and only
// then put in place, by a rename that happens only while the working name
// still holds the result and never over another file. Whatever ends the
// transaction or the process before that, nothing of the result stays.
#pragma once

#include <string>

#include "platform/byte_channel.h"
#include "platform/file_location.h"
#include "platform/input_file.h"
#include "platform/system_error.h"
#include "platform/working_files.h"

namespace platform {

class Replacement {
public:
    // Where the transaction failed, for the caller's message.
    enum class Step { Create, Complete, Place };

    Replacement() = default;
    ~Replacement() { discard(); }
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    // Creates the result for the input `inputName` of `directory`, beside
    // it, readable and writable by its owner only; registered for removal
    // before it exists, so that no end of the process leaves it.
    bool begin(const FileLocation& directory, const std::string& inputName, SystemError& error);
    ByteSink& sink() { return sink_; }
    // The result under way: one of the run's own files, never an input.
    const FileIdentity& identity() const { return made_.identity; }

    // The result, written whole, takes what `input` (still open) has, as
    // far as the process may (see copyAttributes), and is closed; `input`
    // is closed too, since Windows neither replaces nor removes an open
    // file.
    bool complete(InputFile& input, SystemError& error);
    // Puts the completed result in place of the file `input` names at
    // `target` (only while `target` still holds it), or, with `input` not
    // given (exists false), at the free name `target` (only while nothing
    // stands there).
    bool place(const FileLocation& target, const FileIdentity& input, SystemError& error);
    // After place() at a free name: removes the input, only while its name
    // `inputLocation` still holds it. When it cannot, the result is taken
    // back from its new name (while that name still holds it), so that the
    // input stands alone as it was, and false is returned (error set).
    bool removeInput(const FileLocation& inputLocation, const FileIdentity& input, SystemError& error);
    // Removes the result under way, if any.
    void discard();

private:
    FileLocation location_;
    FileFacts made_;
    // The result last put in place, and where.
    FileLocation placedAt_;
    FileIdentity placed_;
    DescriptorSink sink_;
    int exitSlot_ = -1;
};

}  // namespace platform
