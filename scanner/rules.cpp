#include "scanner/rules.h"

int inString = 0;
int textSeen = 0;
platform::TextOutputStream* scan_out = nullptr;

void writePrologue() {
    rule_text::writeFixed(rule_text::kPrologue);
    inString = 1;
}

void writeEpilogue() {
    if (inString == 1) {
        rule_text::writeFixed(rule_text::kEpilogue);
    } else {
        rule_text::writeFixed(rule_text::kEmptyLastOperand);
    }
}
