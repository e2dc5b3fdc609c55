#include "platform/input_file.h"

#include <cerrno>

#include "platform/descriptors.h"
#include "platform/process.h"

namespace platform {

bool InputFile::open(const FileLocation& location, bool plainFilesOnly, bool followLinks, SystemError& error) {
    close();
    const int fd = openInput(location, plainFilesOnly, followLinks);
    if (fd < 0) {
        error = SystemError::last("open(" + location.native + ")");
        return false;
    }
    source_ = DescriptorSource(fd);
    return describe("fstat(" + location.native + ")", error);
}

bool InputFile::openStandardInput(SystemError& error) {
    close();
    // The null device that stands in for a descriptor the tool was started
    // without holds no input anyone gave.
    if (startedClosed(0)) {
        error = SystemError{EBADF, "read(0)"};
        return false;
    }
    const int fd = duplicateDescriptor(0);
    if (fd < 0) {
        error = SystemError::last("dup(0)");
        return false;
    }
    source_ = DescriptorSource(fd);
    return describe("fstat(0)", error);
}

bool InputFile::describe(const std::string& what, SystemError& error) {
    if (describeDescriptor(source_.descriptor(), facts_)) return true;
    error = SystemError::last(what);
    close();
    return false;
}

bool InputFile::unchanged() const {
    FileFacts now;
    return describeDescriptor(source_.descriptor(), now) && now.size == facts_.size &&
           now.modified == facts_.modified;
}

long InputFile::read(char* into, std::size_t capacity) { return source_.read(into, capacity); }

bool InputFile::isTerminal() const { return !facts_.isRegular && source_.isTerminal(); }

void InputFile::close() {
    if (source_.descriptor() >= 0) closeDescriptorQuietly(source_.descriptor());
    source_ = DescriptorSource();
    facts_ = FileFacts();
}

}  // namespace platform
