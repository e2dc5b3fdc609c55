// Decoding run the way the tool runs it for each file, output captured,
// and decoding from sources that hand out their bytes a few at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "parser/convert_input.h"
#include "parser/decode_expression.h"
#include "platform/byte_channel.h"

// Decodes `expression` read from standard input (text mode) through
// decodeStream, as the tool decodes a file; `text` is what it wrote. False, with `stop` set and `text` empty, when the input is not
// an expression.
bool decodeAsFile(const std::string& expression, std::string& text, DecodeStop& stop,
                  ByteOrderMark mark = ByteOrderMark::Ignore);

// Hands out `start` at most `readSize` bytes a read, then `tail` over and
// over without end (when it is not empty), or the end, or a read error
// (`failAtEnd`). Counts the bytes handed out.
class PieceSource final : public platform::ByteSource {
public:
    PieceSource(std::string start, std::size_t readSize, std::string tail = "", bool failAtEnd = false)
        : start_(std::move(start)), tail_(std::move(tail)), readSize_(readSize), failAtEnd_(failAtEnd) {}
    long read(char* into, std::size_t capacity) override;
    std::uint64_t handedOut() const { return handedOut_; }

private:
    std::string start_;
    std::string tail_;
    std::size_t readSize_;
    bool failAtEnd_;
    std::uint64_t handedOut_ = 0;
};
