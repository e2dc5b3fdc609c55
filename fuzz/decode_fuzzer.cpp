// Feeds arbitrary bytes to the way back from an expression to its text.
//
// As an expression: decoding never crashes; read as the tool reads a file
// it gives what the decoder gives for the bytes the text-mode input
// delivers; when the bytes are no expression, nothing at all is written.
// As a text: its conversion decodes to the text as read, each line ended
// by CR LF, and that text converts to the same expression again.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "fuzz_support.h"
#include "parser/decode_expression.h"
#include "support/convert.h"
#include "support/decode.h"
#include "support/text_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    std::string direct;
    DecodeStop directStop;
    const bool directOk = decodeExpression(textModeDecode(input), direct, directStop);
    std::string streamed;
    DecodeStop streamStop;
    const bool streamOk = decodeAsFile(input, streamed, streamStop);
    if (directOk != streamOk) fuzz::failWithInput("decoding a file and its text disagree on success", data, size);
    if (!streamOk && !streamed.empty()) fuzz::failWithInput("a failed decoding wrote " + escaped(streamed), data, size);
    if (streamOk && streamed != direct) {
        fuzz::failWithInput("decoding a file gave " + escaped(streamed) + "\n*** its text gave " + escaped(direct),
                            data, size);
    }
    if (!streamOk && (streamStop.line != directStop.line || streamStop.column != directStop.column))
        fuzz::failWithInput("decoding a file and its text stop at different places", data, size);

    std::string expression;
    try {
        expression = convertStream(input);
    } catch (const std::runtime_error& error) {
        fuzz::failWithInput(error.what(), data, size);
    }
    std::string text;
    DecodeStop stop;
    if (!decodeAsFile(expression, text, stop)) {
        fuzz::failWithInput("the conversion does not decode: stops at line " + std::to_string(stop.line) +
                                ", column " + std::to_string(stop.column),
                            data, size);
    }
    if (text != crlf(textModeDecode(input))) fuzz::failWithInput("decoded " + escaped(text), data, size);
    if (convertStream(text) != expression) fuzz::failWithInput("the decoded text converts otherwise", data, size);
    return 0;
}
