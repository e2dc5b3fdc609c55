#include "support/convert.h"

#include <stdexcept>

#include "parser/convert_input.h"
#include "scanner/scan_buffer.h"
#include "support/capture.h"
#include "support/text_model.h"
#include "support/vb_expression.h"

std::string convertStream(const std::string& input) {
    resetScanState();
    return convertNextStream(input);
}

std::string convertNextStream(const std::string& input) {
    std::string output;
    int parsed = -1;
    withStdin(input, [&] { output = captureStdout([&] { parsed = convertInput(); }); });
    if (parsed != 0) throw std::runtime_error("the parser reported failure");
    return output;
}

std::string convertMemory(const std::string& input) {
    resetScanState();
    std::string output;
    int parsed = -1;
    ScanBuffer* buffer = yy_scan_bytes(input.data(), static_cast<int>(input.size()));
    output = captureStdout([&] { parsed = convertInput(); });
    yy_free_buffer(buffer);
    if (parsed != 0) throw std::runtime_error("the parser reported failure");
    return output;
}

std::string conversionFault(const std::string& output, const std::string& text) {
    std::string value, error;
    if (!parseVbExpression(output, value, error)) {
        return "not a valid expression (" + error + ")\n*** output: " + escaped(output);
    }
    std::string expected = withoutLineFeeds(text);
    if (value != expected) return "wrong value\n*** value:    " + escaped(value) + "\n*** expected: " + escaped(expected);
    std::string exact = expectedOutput(text);
    if (output != exact) {
        return "the expression is not laid out by the rules\n*** output:   " + escaped(output) +
               "\n*** expected: " + escaped(exact);
    }
    return "";
}
