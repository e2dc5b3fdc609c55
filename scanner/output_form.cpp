#include "scanner/output_form.h"

#include "platform/names.h"

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
        if (platform::equalIgnoringCase(name, entry.name)) {
            constant = entry.constant;
            return true;
        }
    }
    return false;
}

bool isVbIdentifier(const std::string& name) {
    if (name.empty() || name.size() > 255 || !platform::isAsciiLetter(name[0])) return false;
    for (char c : name) {
        if (!platform::isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
    }
    return true;
}
