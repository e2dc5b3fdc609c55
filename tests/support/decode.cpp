#include "support/decode.h"

#include "parser/decode_input.h"
#include "support/capture.h"

bool decodeStream(const std::string& expression, std::string& text, DecodeStop& stop, ByteOrderMark mark) {
    bool decoded = false;
    withStdin(expression, [&] {
        text = captureStdout([&] {
            std::string bytes;
            decoded = readDecodedInput(platform::standardInput(), mark, bytes, stop);
            if (decoded) writeDecodedText(platform::standardOutput(), bytes);
        });
    });
    return decoded;
}
