// Run settings, run totals and the saved standard descriptors.
#pragma once

#include <cstdint>
#include <string>

#include "platform/descriptors.h"

// Set once from the options; only currentPath and currentSize move with the
// walk afterwards.
struct RunSettings {
    int silent = 0;
    int traceDirs = 0;
    int verbose = 0;
    int recursive = 0;
    int replace = 0;
    int append = 0;
    int changeExt = 0;
    std::string newExt;      // without the dot; empty after a bare -e
    int sizeDelta = 0;
    int decode = 0;          // -decode: expressions back to their text
    std::string appendName;  // held whole, whatever its length
    std::string outName;     // the -a file; empty otherwise
    platform::OpenMode outMode = platform::OpenMode::Overwrite;  // Append after -a
    platform::OpenMode inMode = platform::OpenMode::Read;
    std::string progPath;
    const char* currentPath = nullptr;
    std::int64_t currentSize = 0;
};

// Sizes are 64-bit so that files and totals beyond 2 GiB count correctly.
struct RunTotals {
    int filesProcessed = 0;
    std::int64_t bytesIn = 0;
    std::int64_t bytesOut = 0;
};

extern RunSettings settings;
extern RunTotals totals;
// Duplicates of descriptors 0 and 1 made at start; never closed.
extern int oIn;
extern int oOut;

