#include "platform/replacement.h"

#include <cerrno>

#include "platform/descriptors.h"
#include "platform/exit_cleanup.h"

namespace platform {

namespace {

// Names are drawn at random; a clash means someone else's file stands
// there, and another name is drawn.
constexpr int kNameAttempts = 100;

}  // namespace

bool Replacement::begin(const FileLocation& directory, const std::string& inputName, SystemError& error) {
    discard();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const FileLocation location = locateName(directory, resultNameFor(inputName));
        // Registered first, so that however the run ends from the moment
        // the file exists, it goes.
        const int slot = removeNewAtExit(location);
        const int fd = createPrivateFile(location, made_);
        if (fd >= 0) {
            identifyAtExit(slot, made_.identity);
            location_ = location;
            sink_ = DescriptorSink(fd);
            exitSlot_ = slot;
            return true;
        }
        error = SystemError::last("create(" + location.native + ")");
        keepAtExit(slot);
        made_ = FileFacts();
        if (error.number != EEXIST) break;
    }
    return false;
}

bool Replacement::complete(InputFile& input, SystemError& error) {
    const int fd = sink_.descriptor();
    const bool copied = copyAttributes(fd, made_, input.descriptor(), input.facts());
    if (!copied) error = SystemError::last("copy attributes(" + location_.native + ")");
    input.close();
    sink_ = DescriptorSink();
    if (!closeDescriptorChecked(fd) && copied) {
        error = SystemError::last("close(" + location_.native + ")");
        return false;
    }
    return copied;
}

bool Replacement::place(const FileLocation& target, const FileIdentity& input, SystemError& error) {
    if (!renameIfSame(location_, made_.identity, target, input)) {
        error = SystemError::last("rename(" + location_.native + ", " + target.native + ")");
        return false;
    }
    keepAtExit(exitSlot_);
    exitSlot_ = -1;
    placedAt_ = target;
    placed_ = made_.identity;
    made_ = FileFacts();
    return true;
}

bool Replacement::removeInput(const FileLocation& inputLocation, const FileIdentity& input, SystemError& error) {
    if (removeIfSame(inputLocation, input)) return true;
    error = SystemError::last("remove(" + inputLocation.native + ")");
    removeIfSame(placedAt_, placed_);
    return false;
}

void Replacement::discard() {
    if (!made_.identity.exists) return;
    const int saved = errno;
    if (sink_.descriptor() >= 0) closeDescriptor(sink_.descriptor());
    sink_ = DescriptorSink();
    removeIfSame(location_, made_.identity);
    keepAtExit(exitSlot_);
    exitSlot_ = -1;
    made_ = FileFacts();
    errno = saved;
}

}  // namespace platform
