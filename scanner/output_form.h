// The form of the converted text beyond the default expression: kept line
// breaks, an assignment, the limits of VBA and VB6, characters outside
// ASCII as ChrW calls. Set once per run.
#pragma once

#include <string>

// The constant a line end of the text becomes under -nl.
enum class LineEndConstant { None, CrLf, Lf, Cr, NewLine };

struct OutputForm {
    LineEndConstant lineEnd = LineEndConstant::None;  // -nl[:NAME]
    std::string variable;                             // -var:NAME, empty without it
    bool vba = false;                                 // -vba
    bool chrw = false;                                // -chrw

    bool isDefault() const { return lineEnd == LineEndConstant::None && variable.empty() && !vba && !chrw; }
};

// The constant's name as written (vbCrLf, vbLf, vbCr, vbNewLine), or ""
// for None.
const char* lineEndConstantName(LineEndConstant constant);
// The text a constant stands for in the value (vbNewLine is CR LF).
const char* lineEndConstantValue(LineEndConstant constant);
// The constant named `name` in any case; false when there is none.
bool lineEndConstantNamed(const std::string& name, LineEndConstant& constant);
// A Visual Basic identifier: an ASCII letter, then ASCII letters, digits
// or underscores, 255 characters at most.
bool isVbIdentifier(const std::string& name);
// A name VB reserves, or one the output uses itself (the line-end
// constants, vbNullChar, Chr, ChrW), in any case: no variable may have it.
bool isReservedVbName(const std::string& name);
