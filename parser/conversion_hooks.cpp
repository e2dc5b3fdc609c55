#include "parser/conversion_hooks.h"

#include "parser/parser_state.h"
#include "platform/console.h"

const char* ConversionHooks::namedOptionValue(const char*) { return ""; }

void ConversionHooks::diagnostic(const std::string& line) {
    platform::writeStandardError(line.data(), static_cast<unsigned long>(line.size()));
}

ConversionHooks& activeHooks() {
    static ConversionHooks defaults;
    return yy_hooks != nullptr ? *yy_hooks : defaults;
}
