// Micro-benchmarks of the conversion: bytes per second through a memory
// buffer and through standard input, each converted as the tool converts a
// file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <unistd.h>

#include "parser/convert_input.h"
#include "platform/text_output.h"
#include "scanner/scan_buffer.h"
#include "support/capture.h"

namespace {

std::string sampleText(std::size_t size) {
    std::string text;
    unsigned state = 12345;
    while (text.size() < size) {
        state = state * 1103515245u + 12345u;
        unsigned length = (state >> 16) % 121;
        for (unsigned i = 0; i < length; ++i) {
            state = state * 1103515245u + 12345u;
            text += ((state >> 16) % 40 == 0) ? '"' : static_cast<char>('a' + (state >> 16) % 26);
        }
        text += '\n';
    }
    return text;
}

// Standard output goes nowhere while the engine runs.
class DiscardStdout {
public:
    DiscardStdout() : saved_(dup(1)) {
        // What the benchmark library has printed so far goes out first.
        std::cout.flush();
        std::fflush(stdout);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~DiscardStdout() {
        platform::standardOutput().flush();
        dup2(saved_, 1);
        close(saved_);
    }

private:
    int saved_;
};

void MemoryBuffer(benchmark::State& state) {
    const std::string text = sampleText(static_cast<std::size_t>(state.range(0)));
    resetScanState();
    DiscardStdout discard;
    for (auto _ : state) {
        ScanBuffer* buffer = yy_scan_bytes(text.data(), static_cast<int>(text.size()));
        if (convertInput() != 0) state.SkipWithError("parse");
        yy_free_buffer(buffer);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(MemoryBuffer)->Arg(1 << 20);

void StandardInput(benchmark::State& state) {
    const std::string text = sampleText(static_cast<std::size_t>(state.range(0)));
    resetScanState();
    int file = memoryFileWith(text);
    StdinFrom input(file);
    DiscardStdout discard;
    for (auto _ : state) {
        lseek(0, 0, SEEK_SET);
        if (convertInput() != 0) state.SkipWithError("parse");
    }
    close(file);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(StandardInput)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
