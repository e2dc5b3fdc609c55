#include "platform/process.h"

#include <csignal>

namespace platform {

void initProcess() {
    // With SIGXFSZ ignored, a write beyond the file-size limit fails with
    // EFBIG, which the tool reports like any other write error.
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace platform
