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

// The keywords of VBA, VB6 and VBScript, the names the output uses itself
// (the constants, Chr, ChrW) and the other vb constants of strings: none
// may be assigned without a syntax error or a value the decoder refuses.
constexpr const char* kReservedNames[] = {
    "AddressOf", "Alias", "And", "Any", "As", "Attribute", "Boolean", "ByRef", "Byte", "ByVal", "Call",
    "Case", "CBool", "CByte", "CCur", "CDate", "CDbl", "CDec", "CInt", "Class", "CLng", "CLngLng",
    "CLngPtr", "Close", "Const", "CSng", "CStr", "Currency", "CVar", "Date", "Debug", "Decimal",
    "Declare", "DefBool", "DefByte", "DefCur", "DefDate", "DefDbl", "DefDec", "DefInt", "DefLng",
    "DefLngLng", "DefLngPtr", "DefObj", "DefSng", "DefStr", "DefVar", "Dim", "Do", "Double", "Each",
    "Else", "ElseIf", "Empty", "End", "EndIf", "Enum", "Eqv", "Erase", "Error", "Event", "Exit",
    "Explicit", "False", "For", "Friend", "Function", "Get", "Global", "GoSub", "GoTo", "If", "Imp",
    "Implements", "In", "Input", "Integer", "Is", "LBound", "Len", "Let", "Lib", "Like", "Line", "Lock",
    "Long", "LongLong", "LongPtr", "Loop", "LSet", "Me", "Mid", "Mod", "New", "Next", "Not", "Nothing",
    "Null", "Object", "On", "Open", "Option", "Optional", "Or", "ParamArray", "Preserve", "Print",
    "Private", "Property", "PtrSafe", "Public", "Put", "RaiseEvent", "ReDim", "Rem", "Resume",
    "Return", "RSet", "Seek", "Select", "Set", "Single", "Static", "Step", "Stop", "String", "Sub",
    "Then", "To", "True", "Type", "TypeOf", "UBound", "Unlock", "Until", "Variant", "Wend", "While",
    "With", "WithEvents", "Write", "Xor",
    "Chr", "ChrW", "ChrB", "vbCrLf", "vbLf", "vbCr", "vbNewLine", "vbNullChar", "vbNullString",
    "vbTab", "vbBack", "vbFormFeed", "vbVerticalTab", "vbObjectError",
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

bool isReservedVbName(const std::string& name) {
    for (const char* reserved : kReservedNames) {
        if (platform::equalIgnoringCase(name, reserved)) return true;
    }
    return false;
}
