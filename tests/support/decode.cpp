#include "support/decode.h"

#include <algorithm>
#include <cerrno>

#include "parser/decode_input.h"
#include "support/capture.h"

bool decodeAsFile(const std::string& expression, std::string& text, DecodeStop& stop, ByteOrderMark mark) {
    bool decoded = false;
    withStdin(expression, [&] {
        text = captureStdout([&] {
            std::string bytes;
            decoded = readDecodedInput(mark, bytes, stop);
            if (decoded) writeDecodedText(bytes);
        });
    });
    return decoded;
}

long PieceSource::read(char* into, std::size_t capacity) {
    const std::size_t wanted = std::min(capacity, readSize_);
    std::size_t count = 0;
    if (handedOut_ < start_.size()) {
        count = std::min<std::size_t>(wanted, start_.size() - handedOut_);
        start_.copy(into, count, handedOut_);
    } else if (!tail_.empty()) {
        for (; count < wanted; ++count) into[count] = tail_[(handedOut_ - start_.size() + count) % tail_.size()];
    } else if (failAtEnd_) {
        errno = EIO;
        return -1;
    }
    handedOut_ += count;
    return static_cast<long>(count);
}
