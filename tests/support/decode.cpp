#include "support/decode.h"

#include "parser/decode_input.h"
#include "support/capture.h"

bool decodeStream(const std::string& expression, std::string& text, DecodeStop& stop, ByteOrderMark mark) {
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
