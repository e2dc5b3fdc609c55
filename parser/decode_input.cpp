#include "parser/decode_input.h"

#include <memory>

#include "parser/decode_stream.h"
#include "platform/byte_channel.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "scanner/fatal.h"

bool readDecodedInput(ByteOrderMark mark, std::string& text, DecodeStop& stop) {
    platform::TextInputStream& in = platform::standardInput();
    in.reset();
    platform::StringSink sink;
    // The stream holds its buffer inline: too large for the stack.
    const auto out = std::make_unique<platform::TextOutputStream>(-1);
    out->attach(sink);
    const DecodeResult result = decodeStream(in, *out, mark, stop);
    if (result == DecodeResult::ReadFailed) yy_fatal("input in scanner failed");
    out->flush();
    text.clear();
    if (result != DecodeResult::Decoded) return false;
    text.swap(sink.text);
    return true;
}

void writeDecodedText(const std::string& text) {
    platform::TextOutputStream& out = platform::standardOutput();
    out.flush();
    out.clearError();
    out.resetByteCount();
    out.writeRaw(text.data(), text.size());
}
