#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/anonymous_file.h"

namespace platform {

int openAnonymousFile() {
    const char* directory = std::getenv("TMPDIR");
    std::string base = directory != nullptr && directory[0] != '\0' ? directory : "/tmp";
#if defined(O_TMPFILE)
    int fd = ::open(base.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
#endif
    // A file system without unnamed files: a fresh name, removed at once.
    std::string name = base + "/.txt2vb-spool-XXXXXX";
    int fd2 = ::mkostemp(&name[0], O_CLOEXEC);
    if (fd2 >= 0) ::unlink(name.c_str());
    return fd2;
}

bool rewindDescriptor(int descriptor) { return ::lseek(descriptor, 0, SEEK_SET) == 0; }

}  // namespace platform
