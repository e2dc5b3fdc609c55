#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

#include "parser/parser.h"
#include "parser/scan_frame.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "scanner/engine.h"
#include "scanner/rules.h"
#include "scanner/scan_buffer.h"

namespace {

int temporaryFile() {
    char name[] = "/tmp/txt2vb-test-XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    unlink(name);
    return fd;
}

std::string readAll(int fd) {
    std::string data;
    lseek(fd, 0, SEEK_SET);
    char chunk[65536];
    ssize_t n;
    while ((n = read(fd, chunk, sizeof chunk)) > 0) data.append(chunk, static_cast<std::size_t>(n));
    return data;
}

}  // namespace

std::string captureStdout(const std::function<void()>& body) {
    platform::TextOutputStream& out = platform::standardOutput();
    out.flush();
    int saved = dup(1);
    int fd = temporaryFile();
    dup2(fd, 1);
    body();
    out.flush();
    dup2(saved, 1);
    close(saved);
    std::string data = readAll(fd);
    close(fd);
    return data;
}

void withStdin(const std::string& content, const std::function<void()>& body) {
    int fd = temporaryFile();
    if (!content.empty() && write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
        throw std::runtime_error("write failed");
    lseek(fd, 0, SEEK_SET);
    int saved = dup(0);
    dup2(fd, 0);
    close(fd);
    platform::standardInput().reset();
    body();
    dup2(saved, 0);
    close(saved);
    platform::standardInput().reset();
}

void resetScanner() {
    if (current_buffer != nullptr) yy_free_buffer(current_buffer);
    current_buffer = nullptr;
    first_call = 1;
    start_code = 0;
    scan_in = nullptr;
    scan_out = nullptr;
    inString = 0;
    textSeen = 0;
}

std::string convertMemory(const std::string& input) {
    resetScanner();
    return captureStdout([&] {
        ScanBuffer* buffer = yy_scan_bytes(input.data(), static_cast<int>(input.size()));
        writePrologue();
        yy_next_token();
        writeEpilogue();
        yy_free_buffer(buffer);
    });
}

std::string convertStream(const std::string& input) {
    resetScanner();
    std::string output;
    withStdin(input, [&] {
        output = captureStdout([] {
            beginFileScan();
            beforeParse();
            if (yy_parse_input() != 0) throw std::runtime_error("parse failed");
            endFileScan();
            afterParse();
        });
    });
    return output;
}

std::string textModeDecode(const std::string& raw) {
    std::string decoded;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == 0x1A) break;
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        decoded += c;
    }
    return decoded;
}

std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}
