#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/text_input.h"
#include "platform/text_output.h"
#include "scanner/engine.h"
#include "scanner/rules.h"
#include "scanner/scan_buffer.h"
#include "vb_expression.h"

namespace fuzz {

namespace {

// One in-memory file per redirected descriptor, made once and emptied for
// every use: a fuzzer runs the targets millions of times, and an in-memory
// file costs no disk traffic.
int memoryFile(const char* name) {
    int fd = memfd_create(name, 0);
    if (fd < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    return fd;
}

void truncateTo(int fd, off_t length) {
    if (ftruncate(fd, length) != 0 || lseek(fd, 0, SEEK_SET) != 0) {
        std::perror("ftruncate");
        std::abort();
    }
}

std::string readAll(int fd) {
    std::string data;
    if (lseek(fd, 0, SEEK_SET) != 0) std::abort();
    char chunk[65536];
    ssize_t n;
    while ((n = read(fd, chunk, sizeof chunk)) > 0) data.append(chunk, static_cast<std::size_t>(n));
    return data;
}

void writeAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n <= 0) {
            std::perror("write");
            std::abort();
        }
        done += static_cast<std::size_t>(n);
    }
}

// Shows the bytes of an output or a value readably: printable ASCII as it
// is, everything else as \xHH.
std::string escaped(const std::string& text) {
    std::string out;
    char hex[8];
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace

std::string captureStdout(const std::function<void()>& body) {
    static const int captured = memoryFile("txt2vb-fuzz-stdout");
    platform::TextOutputStream& out = platform::standardOutput();
    out.flush();
    truncateTo(captured, 0);
    int saved = dup(1);
    dup2(captured, 1);
    body();
    out.flush();
    dup2(saved, 1);
    close(saved);
    return readAll(captured);
}

void withStdin(const std::string& content, const std::function<void()>& body) {
    static const int source = memoryFile("txt2vb-fuzz-stdin");
    truncateTo(source, 0);
    writeAll(source, content);
    // Descriptor 0 gets its own open file description, so that its reading
    // position starts at the beginning whatever happened to `source`.
    int fd = dup(source);
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

std::string withoutLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\n') out += c;
    return out;
}

void failWithInput(const std::string& message, const std::uint8_t* data, std::size_t size) {
    std::fprintf(stderr, "\n*** %s\n*** input (%zu bytes):", message.c_str(), size);
    for (std::size_t i = 0; i < size; ++i) std::fprintf(stderr, "%s%02X", i % 32 == 0 ? "\n" : " ", data[i]);
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
    std::abort();
}

std::string expectedOutput(const std::string& text) {
    std::string out = "\t= \"";
    bool open = true;
    for (char c : text) {
        if (c == '\n') {
            out += open ? "\" _\r\n" : "\t_\r\n";
            open = false;
            continue;
        }
        if (c == '\r' || c == '\0') {
            // Neither can stand inside a literal: the constant goes between
            // two strings, or starts the line's operands.
            out += open ? "\" & " : "\t& ";
            out += c == '\r' ? "vbCr" : "vbNullChar";
            out += " & \"";
            open = true;
            continue;
        }
        if (!open) out += "\t& \"";
        open = true;
        out += c;
        if (c == '"') out += c;
    }
    out += open ? "\"\r\n" : "\t& \"\"\r\n";
    return out;
}

void checkConversion(const char* what, const std::string& output, const std::string& text,
                     const std::uint8_t* data, std::size_t size) {
    std::string value, error;
    if (!parseVbExpression(output, value, error)) {
        failWithInput(std::string(what) + ": not a valid expression (" + error + ")\n*** output: " + escaped(output),
                      data, size);
    }
    std::string expected = withoutLineFeeds(text);
    if (value != expected) {
        failWithInput(std::string(what) + ": wrong value\n*** value:    " + escaped(value) +
                          "\n*** expected: " + escaped(expected),
                      data, size);
    }
    std::string exact = expectedOutput(text);
    if (output != exact) {
        failWithInput(std::string(what) + ": the expression is not laid out by the rules\n*** output:   " +
                          escaped(output) + "\n*** expected: " + escaped(exact),
                      data, size);
    }
}

}  // namespace fuzz
