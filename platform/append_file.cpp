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
    cutBackAtExit(-1, 0);
    sink_ = DescriptorSink();
    if (closeDescriptorChecked(fd)) return true;
    error = SystemError::last("close(" + path_ + ")");
    return false;
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
