// Micro-benchmarks of the conversion engine: bytes per second through a
// memory buffer and through standard input, as a file is converted.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <unistd.h>

#include "parser/parser.h"
#include "parser/scan_frame.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "scanner/engine.h"
#include "scanner/rules.h"
#include "scanner/scan_buffer.h"

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
    DiscardStdout discard;
    for (auto _ : state) {
        ScanBuffer* buffer = yy_scan_bytes(text.data(), static_cast<int>(text.size()));
        writePrologue();
        yy_next_token();
        writeEpilogue();
        yy_free_buffer(buffer);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(MemoryBuffer)->Arg(1 << 20);

void StandardInput(benchmark::State& state) {
    const std::string text = sampleText(static_cast<std::size_t>(state.range(0)));
    char name[] = "/tmp/txt2vb-bench-XXXXXX";
    int fd = mkstemp(name);
    unlink(name);
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) state.SkipWithError("write");
    int savedIn = dup(0);
    dup2(fd, 0);
    DiscardStdout discard;
    for (auto _ : state) {
        lseek(0, 0, SEEK_SET);
        platform::standardInput().reset();
        beginFileScan();
        yy_parse_input();
        endFileScan();
    }
    dup2(savedIn, 0);
    close(savedIn);
    close(fd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(StandardInput)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
