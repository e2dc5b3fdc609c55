#include "platform/descriptors.h"

#include <cerrno>

#include "platform/open_file.h"

namespace platform {

bool writeAll(int descriptor, const char* data, std::size_t length) {
    while (length > 0) {
        long n = writeSome(descriptor, data, length);
        if (n < 0) return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

void closeDescriptorQuietly(int descriptor) {
    int saved = errno;
    closeDescriptor(descriptor);
    errno = saved;
}

int openFile(const char* path, OpenMode mode) {
    int fd = openPath(path, mode);
    if (fd >= 0 && mode == OpenMode::Append && !dropFinalCtrlZ(fd)) {
        closeDescriptorQuietly(fd);
        return -1;
    }
    return fd;
}

}  // namespace platform
