#include "support/capture.h"

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/text_input.h"
#include "platform/text_output.h"

namespace {

[[noreturn]] void systemFailure(const char* call) {
    std::perror(call);
    std::abort();
}

// Runs `body` with descriptor `target` on a fresh in-memory file and
// returns what the file holds afterwards; `flush` empties the buffers that
// write to the descriptor.
std::string capture(int target, const std::function<void()>& body, const std::function<void()>& flush) {
    flush();
    int file = memoryFileWith("");
    int saved = dup(target);
    if (saved < 0 || dup2(file, target) < 0) systemFailure("dup2");
    body();
    flush();
    if (dup2(saved, target) < 0) systemFailure("dup2");
    close(saved);
    std::string data = readWhole(file);
    close(file);
    return data;
}

}  // namespace

int memoryFileWith(const std::string& content) {
    int fd = memfd_create("txt2vb-test", 0);
    if (fd < 0) systemFailure("memfd_create");
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n <= 0) systemFailure("write");
        done += static_cast<std::size_t>(n);
    }
    if (lseek(fd, 0, SEEK_SET) != 0) systemFailure("lseek");
    return fd;
}

std::string readWhole(int fd) {
    std::string data;
    if (lseek(fd, 0, SEEK_SET) != 0) systemFailure("lseek");
    char chunk[65536];
    ssize_t n;
    while ((n = read(fd, chunk, sizeof chunk)) > 0) data.append(chunk, static_cast<std::size_t>(n));
    if (n < 0) systemFailure("read");
    return data;
}

std::string captureStdout(const std::function<void()>& body) {
    return capture(1, body, [] { platform::standardOutput().flush(); });
}

std::string captureStderr(const std::function<void()>& body) {
    return capture(2, body, [] { std::fflush(stderr); });
}

StdinFrom::StdinFrom(int descriptor) : saved_(dup(0)) {
    if (saved_ < 0 || dup2(descriptor, 0) < 0) systemFailure("dup2");
    platform::standardInput().reset();
}

StdinFrom::~StdinFrom() {
    dup2(saved_, 0);
    close(saved_);
    platform::standardInput().reset();
}

void withStdin(const std::string& content, const std::function<void()>& body) {
    int file = memoryFileWith(content);
    {
        StdinFrom input(file);
        close(file);
        body();
    }
}
