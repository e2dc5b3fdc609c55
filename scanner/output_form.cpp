#include "scanner/output_form.h"

namespace {

struct ConstantEntry {
    LineEndConstant constant;
    const char* name;
    const char* value;
};
constexpr ConstantEntry kConstants[] = {
    {LineEndConstant::CrLf, "vbCrLf", "\r\n"},
    {LineEndConstant::Lf, "vbLf", "\n"},
    {LineEndConstant::Cr, "vbCr", "\r"},
    {LineEndConstant::NewLine, "vbNewLine", "\r\n"},
};

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return i == a.size() && b[i] == '\0';
}

}  // namespace

const char* lineEndConstantName(LineEndConstant constant) {
    for (const ConstantEntry& entry : kConstants) {
        if (entry.constant == constant) return entry.name;
    }
    return "";
}

const char* lineEndConstantValue(LineEndConstant constant) {
    for (const ConstantEntry& entry : kConstants) {
        if (entry.constant == constant) return entry.value;
    }
    return "";
}

bool lineEndConstantNamed(const std::string& name, LineEndConstant& constant) {
    for (const ConstantEntry& entry : kConstants) {
        if (equalIgnoringCase(name, entry.name)) {
            constant = entry.constant;
            return true;
        }
    }
    return false;
}

bool isVbIdentifier(const std::string& name) {
    if (name.empty() || name.size() > 255 || !isLetter(name[0])) return false;
    for (char c : name) {
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
    }
    return true;
}
