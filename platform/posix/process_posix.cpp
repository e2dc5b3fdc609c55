#include "platform/process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

static bool startedWithout[3] = {false, false, false};

bool startedClosed(int descriptor) { return descriptor >= 0 && descriptor <= 2 && startedWithout[descriptor]; }

void initProcess() {
    // A standard descriptor the tool was started without is given the null
    // device, so no file the tool opens can take its number: converted text
    // written to "standard output" must never land in an input.
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) >= 0 || errno != EBADF) continue;
        startedWithout[descriptor] = true;
        int opened = ::open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
        // Without a null device the gap cannot be filled safely: end at once.
        if (opened < 0) ::_exit(255);
        if (opened != descriptor) {
            ::dup2(opened, descriptor);
            ::close(opened);
        }
    }
    // With SIGXFSZ ignored, a write beyond the file-size limit fails with
    // EFBIG, which the tool reports like any other write error.
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace platform
