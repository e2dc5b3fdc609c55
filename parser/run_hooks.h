// What the scan frame and the parser take from the program that runs
// them: the named options of the command line, the trace switch, the path
// of the file being converted and the diagnostic printer. They only
// declare it; the program defines `runHooks` with its own functions, so
// they never depend on how the program keeps its settings.
#pragma once

struct RunHooks {
    // The text after `key` in the first named option matching it in any
    // case, or "" (never null).
    const char* (*namedOptionValue)(const char* key);
    // Non-zero when the start-state trace is wanted (-v).
    int (*traceWanted)();
    // The path of the file being converted, or null before the first one.
    const char* (*currentPath)();
    // Formats like printf and writes one diagnostic line to standard error.
    int (*logLine)(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 1, 2)))
#endif
        ;
};

extern RunHooks runHooks;
