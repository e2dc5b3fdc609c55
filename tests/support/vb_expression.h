// A checker for the tool's output: a Visual Basic string expression.
#pragma once

#include <string>

// Parses `output` (CR LF line ends) as an assignment's right side: "\t= "
// and operands joined by " & ", then lines that either continue the
// expression with a lone "_" or go on with "& " and more operands; every
// line but the last ends with the continuation " _". An operand is a string
// literal (quotes doubled, no line break or NUL inside) or one of the
// constants vbCr and vbNullChar. On success `value` is the expression's value; on
// failure `error` says where the output went wrong.
bool parseVbExpression(const std::string& output, std::string& value, std::string& error);
