// A checker for the tool's output: Visual Basic string expressions and the
// statements that hold them.
#pragma once

#include <cstddef>
#include <string>

// What a parsed output looks like, for the limits of the dialects.
struct VbShape {
    int statements = 0;
    // The most line continuations (" _" line ends) in one statement.
    int maxContinuations = 0;
    // The longest physical line, without its CR LF.
    std::size_t maxLineLength = 0;
    // The assigned variable, "" when the output starts with "\t= ".
    std::string variable;
};

// Parses `output` (CR LF line ends). Its first line starts with "\t= " (the
// right side of an assignment) or "NAME = "; then operands joined by " & ".
// A line that ends with the continuation " _" is followed by a line that
// either holds a lone "\t_" or goes on with "\t& " and more operands; a
// line without it ends the statement, and a further statement must be
// "NAME = NAME & " and operands, NAME the first statement's variable. An
// operand is a string literal (quotes doubled, no line break or NUL
// inside), one of the constants vbCr, vbLf, vbCrLf, vbNewLine (CR LF) and
// vbNullChar, or ChrW(N) or Chr(N) with N decimal or &H hexadecimal.
//
// On success `value` is the value of all the statements, as bytes: a
// literal's bytes as they stand, ChrW's UTF-16 code units as UTF-8 (a
// high and a low surrogate in a row as one character; a surrogate alone as
// the three bytes its number would have), Chr(N) as the byte N. On failure
// `error` says where the output went wrong.
bool parseVbExpression(const std::string& output, std::string& value, std::string& error,
                       VbShape* shape = nullptr);

// What breaks the rules of VBA and VB6 in `shape` (more than 24 line
// continuations in one statement, a physical line longer than 1,023
// characters), or "".
std::string vbaRuleFault(const VbShape& shape);
