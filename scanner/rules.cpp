#include "scanner/rules.h"

#include "scanner/engine.h"
#include "scanner/scan_buffer.h"

int inString = 0;
int textSeen = 0;
platform::TextOutputStream* scan_out = nullptr;

namespace {

// A line of the expression that no string has opened yet needs an operand
// of its own before its first character.
inline void openOperandIfNeeded(platform::TextOutputStream& out) {
    if (inString == 0) out.write("\t& \"", 4);
    inString = 1;
}

}  // namespace

void ruleQuote() {
    platform::TextOutputStream& out = platform::standardOutput();
    openOperandIfNeeded(out);
    out.write("\"\"", 2);
}

void ruleNewline() {
    platform::TextOutputStream& out = platform::standardOutput();
    if (inString == 1) {
        out.write("\" _\n", 4);
    } else {
        out.write("\t_\n", 3);
    }
    inString = 0;
}

void ruleText() {
    platform::TextOutputStream& out = platform::standardOutput();
    openOperandIfNeeded(out);
    textSeen = 1;
    scan_out->write(match_start, static_cast<std::size_t>(match_length));
}

void ruleDefault() { scan_out->write(match_start, static_cast<std::size_t>(match_length)); }

void writePrologue() {
    platform::standardOutput().write("\t= \"", 4);
    inString = 1;
}

void writeEpilogue() {
    platform::TextOutputStream& out = platform::standardOutput();
    if (inString == 1) {
        out.write("\"\n", 2);
    } else {
        out.write("\t& \"\"\n", 6);
    }
}
