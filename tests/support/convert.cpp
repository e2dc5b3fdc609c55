#include "support/convert.h"

#include <stdexcept>

#include "parser/convert_input.h"
#include "scanner/scan_buffer.h"
#include "support/capture.h"
#include "support/text_model.h"
#include "support/vb_expression.h"

std::string convertStream(const std::string& input, ConversionHooks* hooks) {
    resetScanState();
    return convertNextStream(input, hooks);
}

std::string convertNextStream(const std::string& input, ConversionHooks* hooks) {
    std::string output;
    int parsed = -1;
    ConversionSetup setup;
    setup.hooks = hooks;
    withStdin(input, [&] { output = captureStdout([&] { parsed = convertInput(setup); }); });
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

OutputForm formOf(LineEndConstant lineEnd, const std::string& variable, bool vba, bool chrw) {
    OutputForm form;
    form.lineEnd = lineEnd;
    form.variable = variable;
    form.vba = vba;
    form.chrw = chrw;
    return form;
}

std::string convertInForm(const std::string& input, const OutputForm& form, ByteOrderMark mark,
                          ConversionHooks* hooks) {
    resetScanState();
    ConversionSetup setup;
    setup.hooks = hooks;
    setup.form = form;
    setup.mark = mark;
    std::string output;
    int parsed = -1;
    withStdin(input, [&] { output = captureStdout([&] { parsed = convertInput(setup); }); });
    if (parsed != 0) throw std::runtime_error("the parser reported failure");
    return output;
}

std::string formFault(const std::string& output, const std::string& text, const OutputForm& form) {
    std::string value, error;
    VbShape shape;
    if (!parseVbExpression(output, value, error, &shape)) {
        return "not a valid expression (" + error + ")\n*** output: " + escaped(output);
    }
    // Two surrogate halves that meet in the value (a line end between them
    // removed) make one character, whichever way they were written.
    const std::string expected = joinedSurrogates(withLineEnds(text, lineEndConstantValue(form.lineEnd)));
    value = joinedSurrogates(value);
    if (value != expected) {
        return "wrong value\n*** value:    " + escaped(value) + "\n*** expected: " + escaped(expected) +
               "\n*** output: " + escaped(output);
    }
    const std::string variable = !form.variable.empty() ? form.variable : form.vba ? "s" : "";
    if (shape.variable != variable) return "assigns \"" + shape.variable + "\" instead of \"" + variable + "\"";
    if (shape.statements > 1 && !form.vba) return "more than one statement without -vba";
    if (form.vba) {
        const std::string fault = vbaRuleFault(shape);
        if (!fault.empty()) return fault + "\n*** output (start): " + escaped(output.substr(0, 400));
    }
    return "";
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
