#include "platform/process.h"

#include <cstdlib>

#include "platform/text_output.h"

namespace platform {

void exitProcess(int status) {
    standardOutput().flush();
    std::exit(status);
}

}  // namespace platform
