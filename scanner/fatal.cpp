#include "scanner/fatal.h"

#include <string>

#include "platform/console.h"
#include "platform/process.h"

void yy_fatal(const char* message) {
    std::string line(message);
    line += '\n';
    platform::writeStandardError(line.data(), static_cast<unsigned long>(line.size()));
    platform::exitProcess(kScannerFatalStatus);
}
