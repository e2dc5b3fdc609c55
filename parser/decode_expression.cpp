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
    // The stream reads as text mode reads: a 0x1A ends the input, and CR CR
    // LF is a CR and a line feed, one line end. In a string both are bytes
    // that no token holds: it is read up to the first, and an expression
    // that ends there ends at a byte that is none.
    const std::size_t read = std::min({expression.find('\x1a'), expression.find("\r\r\n"), expression.size()});
    platform::MemorySource source(expression.data(), read);
    // The text is never longer than its expression: no operand, line end
    // or statement is written with fewer bytes than it gives.
    text.reserve(read);
    if (decodeSource(source, text, stop) != DecodeResult::Decoded) return false;
    if (read == expression.size()) return true;
    const std::size_t lineFeed = expression.rfind('\n', read);
    stop.line = 1 + static_cast<std::size_t>(std::count(expression.begin(), expression.begin() + read, '\n'));
    stop.column = lineFeed == std::string::npos ? read + 1 : read - lineFeed;
    return false;
}
