// Redirecting the standard descriptors to in-memory files for the length of
// a call: what the tool writes is captured, what it reads is given.
#pragma once

#include <functional>
#include <string>

// A new in-memory file holding `content`, open for reading and writing and
// positioned at its start. Aborts when the system refuses one.
int memoryFileWith(const std::string& content);

// Everything the open file `fd` holds, read from its start.
std::string readWhole(int fd);

// Runs `body` with descriptor 1 pointing at an in-memory file and returns
// the bytes the tool's standard output stream wrote there.
std::string captureStdout(const std::function<void()>& body);

// Runs `body` with descriptor 2 pointing at an in-memory file and returns
// what was written there.
std::string captureStderr(const std::function<void()>& body);

// Points descriptor 0 at another open file for the life of the object, with
// the tool's standard input stream reset on both sides.
class StdinFrom {
public:
    explicit StdinFrom(int descriptor);
    ~StdinFrom();
    StdinFrom(const StdinFrom&) = delete;
    StdinFrom& operator=(const StdinFrom&) = delete;

private:
    int saved_;
};

// Runs `body` with descriptor 0 reading `content` from an in-memory file.
void withStdin(const std::string& content, const std::function<void()>& body);
