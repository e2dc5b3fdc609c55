#include "platform/append_file.h"

#include "platform/descriptors.h"
#include "platform/exit_cleanup.h"

namespace platform {

bool AppendFile::open(const std::string& path, SystemError& error) {
    cutBack();
    path_ = path;
    const int fd = openFile(path.c_str(), OpenMode::Append);
    if (fd < 0) {
        error = SystemError::last("open(" + path + ")");
        return false;
    }
    sink_ = DescriptorSink(fd);
    start_ = descriptorSize(fd);
    if (start_ >= 0) cutBackAtExit(fd, start_);
    return true;
}

bool AppendFile::close(SystemError& error) {
    const int fd = sink_.descriptor();
    if (fd < 0) return true;
    sink_ = DescriptorSink();
    // A file system may report a failed write only at the close (a network
    // file system does): a second descriptor, kept past the close, cuts the
    // file back then, and at a signal until it is closed too.
    const int spare = start_ >= 0 ? duplicateDescriptor(fd) : -1;
    cutBackAtExit(spare, start_);
    const bool closed = closeDescriptorChecked(fd);
    if (!closed) error = SystemError::last("close(" + path_ + ")");
    if (spare >= 0) {
        if (!closed) truncateDescriptor(spare, start_);
        cutBackAtExit(-1, 0);
        closeDescriptorQuietly(spare);
    } else {
        cutBackAtExit(-1, 0);
    }
    return closed;
}

void AppendFile::cutBack() {
    const int fd = sink_.descriptor();
    if (fd < 0) return;
    cutBackAtExit(-1, 0);
    if (start_ >= 0) truncateDescriptor(fd, start_);
    closeDescriptorQuietly(fd);
    sink_ = DescriptorSink();
}

}  // namespace platform
