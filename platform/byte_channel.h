// Where the text streams take their bytes from and put them: a descriptor
// of the system, or memory. A stream reads and writes in large blocks, so
// one virtual call a block costs nothing.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads at most `capacity` bytes: the count, 0 at the end, -1 on error
    // (errno set).
    virtual long read(char* into, std::size_t capacity) = 0;
    // Whether the bytes come from a terminal, a line at a time.
    virtual bool isTerminal() const { return false; }
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes every byte; false (errno set) when any could not be written.
    virtual bool write(const char* data, std::size_t length) = 0;
};

// An open descriptor, read or written in place (never closed here).
class DescriptorSource final : public ByteSource {
public:
    explicit DescriptorSource(int descriptor = -1) : descriptor_(descriptor) {}
    long read(char* into, std::size_t capacity) override;
    bool isTerminal() const override;
    int descriptor() const { return descriptor_; }

private:
    int descriptor_;
};

class DescriptorSink final : public ByteSink {
public:
    explicit DescriptorSink(int descriptor = -1) : descriptor_(descriptor) {}
    bool write(const char* data, std::size_t length) override;
    int descriptor() const { return descriptor_; }

private:
    int descriptor_;
};

// Bytes held in memory, read from the first on. The bytes are not copied:
// they must outlive the source.
class MemorySource final : public ByteSource {
public:
    MemorySource(const char* data, std::size_t size) : data_(data), size_(size) {}
    explicit MemorySource(const std::string& text) : MemorySource(text.data(), text.size()) {}
    long read(char* into, std::size_t capacity) override;

private:
    const char* data_;
    std::size_t size_;
    std::size_t next_ = 0;
};

// Collects what is written.
class StringSink final : public ByteSink {
public:
    bool write(const char* data, std::size_t length) override {
        text.append(data, length);
        return true;
    }
    std::string text;
};

}  // namespace platform
