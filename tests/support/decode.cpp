#include "support/decode.h"

#include <algorithm>
#include <cerrno>

#include <memory>

#include "parser/decode_stream.h"
#include "support/capture.h"

bool decodeAsFile(const std::string& expression, std::string& text, DecodeStop& stop, ByteOrderMark mark) {
    DecodeResult result = DecodeResult::NotExpression;
    platform::StringSink sink;
    // The streams hold their buffers inline: too large for the stack.
    auto out = std::make_unique<platform::TextOutputStream>(-1);
    out->attach(sink);
    withStdin(expression, [&] { result = decodeStream(platform::standardInput(), *out, mark, stop); });
    out->flush();
    text = result == DecodeResult::Decoded ? sink.text : "";
    return result == DecodeResult::Decoded;
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
