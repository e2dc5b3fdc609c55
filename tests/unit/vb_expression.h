// A checker for the tool's output: a Visual Basic string expression.
#pragma once

#include <string>

// Parses `output` (CR LF line ends) as an assignment's right side: "\t= "
// and a string literal, then lines that either continue the expression
// with a lone "_" or add an operand "& " and a literal; every line but the
// last ends with the continuation " _". Literals double their quotes and
// hold no line feed. On success `value` is the expression's value; on
// failure `error` says where the output went wrong.
bool parseVbExpression(const std::string& output, std::string& value, std::string& error);
