#include "parser/decode_expression.h"

#include <algorithm>
#include <cstring>
#include <memory>

DecodeResult decodeSource(platform::ByteSource& source, std::string& text, DecodeStop& stop) {
    platform::StringSink sink;
    sink.text.swap(text);
    sink.text.clear();
    // The streams hold their buffers inline: too large for the stack.
    const auto in = std::make_unique<platform::TextInputStream>(-1);
    const auto out = std::make_unique<platform::TextOutputStream>(-1);
    in->attach(source, false);
    out->attach(sink);
    const DecodeResult result = decodeStream(*in, *out, ByteOrderMark::Ignore, stop);
    out->flush();
    text.swap(sink.text);
    return result;
}

bool decodeExpression(const std::string& expression, std::string& text, DecodeStop& stop) {
    platform::MemorySource source(expression);
    // The text is never longer than its expression: no operand, line end
    // or statement is written with fewer bytes than it gives.
    text.reserve(expression.size());
    if (decodeSource(source, text, stop) != DecodeResult::Decoded) return false;
    // The stream ends at a 0x1A, where no token can stand: an expression
    // that ends there ends at a byte that is none.
    const void* ctrlZ = std::memchr(expression.data(), 0x1A, expression.size());
    if (ctrlZ == nullptr) return true;
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - expression.data());
    const std::size_t lineFeed = expression.rfind('\n', at);
    stop.line = 1 + static_cast<std::size_t>(std::count(expression.begin(), expression.begin() + at, '\n'));
    stop.column = lineFeed == std::string::npos ? at + 1 : at - lineFeed;
    return false;
}
