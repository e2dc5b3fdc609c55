#include "support/memory_run.h"

#include <cerrno>
#include <memory>

#include "driver/run_main.h"

namespace {

class FullSink final : public platform::ByteSink {
public:
    bool write(const char*, std::size_t) override {
        errno = ENOSPC;
        return false;
    }
};

}  // namespace

MemoryRun runInMemory(MemoryFileSystem& files, const std::vector<std::string>& arguments, bool consoleFails) {
    std::vector<const char*> argv = {"txt2vb"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    platform::StringSink console;
    FullSink full;
    platform::StringSink messages;
    auto stream = std::make_unique<platform::TextOutputStream>(-1);
    if (consoleFails) {
        stream->attach(full);
    } else {
        stream->attach(console);
    }
    MemoryRun run;
    run.status = runTool(static_cast<int>(argv.size()), argv.data(), files, messages, *stream, false);
    stream->discard();
    run.console = console.text;
    run.messages = messages.text;
    return run;
}
