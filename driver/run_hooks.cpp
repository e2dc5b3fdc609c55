#include "parser/run_hooks.h"

#include "driver/log_line.h"
#include "driver/named_options.h"
#include "driver/run_settings.h"

namespace {

int traceWanted() { return settings.verbose; }
const char* currentPath() { return settings.currentPath; }

}  // namespace

// Constant-initialised: in place before any code of the program runs, and
// reading the settings live, so whatever sets them is seen at once.
RunHooks runHooks = {namedOptionValue, traceWanted, currentPath, logLine};
