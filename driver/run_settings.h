// The run settings, read from the options once, and the run's totals.
#pragma once

#include <cstdint>
#include <string>

struct RunSettings {
    int silent = 0;
    int traceDirs = 0;
    int verbose = 0;  // forced off by silent
    int recursive = 0;
    int replace = 0;
    int append = 0;
    int changeExt = 0;
    std::string newExt;  // without the dot
    int sizeDelta = 0;
    int decode = 0;          // -decode: expressions back to their text
    std::string appendName;  // the -a file, held whole
};

// Sizes are 64-bit so that files and totals beyond 2 GiB count correctly.
struct RunTotals {
    int filesProcessed = 0;
    std::int64_t bytesIn = 0;
    std::int64_t bytesOut = 0;
};
