// Conversion hooks a test hands to convertInput: named options, the trace
// switch and the path as a run would give them, and the diagnostics kept.
#pragma once

#include <string>
#include <vector>

#include "driver/named_options.h"
#include "parser/conversion_hooks.h"

class TestHooks : public ConversionHooks {
public:
    TestHooks() = default;
    explicit TestHooks(std::vector<std::string> options) : options(std::move(options)) {}

    const char* namedOptionValue(const char* key) override { return options.namedOptionValue(key); }
    bool traceWanted() override { return trace; }
    const char* currentPath() override { return path; }
    void diagnostic(const std::string& line) override { diagnostics += line; }

    NamedOptionList options;
    bool trace = false;
    const char* path = nullptr;
    std::string diagnostics;
};
