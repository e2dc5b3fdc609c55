// The way back: from a string expression as the tool writes it to the text
// it was made from.
#pragma once

#include <cstddef>
#include <string>

// Where an input stops being an expression: its physical line and the byte
// column in it, both counted from 1.
struct DecodeStop {
    std::size_t line = 0;
    std::size_t column = 0;
};

// Decodes `expression`, whose lines end with LF or CR LF, into `text`.
//
// The expression is one or more statements. The first begins with "=" (the
// prologue TAB "= ") or "NAME =" (a VB identifier); every further one is
// "NAME = NAME &" with the first one's NAME (in any case). Operands are
// joined by "&": string literals (quotes doubled, no CR, LF, NUL or 0x1A
// inside), the constants vbCrLf, vbNewLine, vbLf, vbCr and vbNullChar, and
// ChrW(N) and Chr(N) with N decimal or &H hexadecimal (ChrW up to &HFFFF,
// Chr up to &HFF). A line is continued by " _" at its end. Spaces and TABs
// may stand between tokens; names and constants are read in any case.
//
// Each physical line gives one line of text, ended in the text by CR LF:
//   - a line whose last operand is one of the line-end constants (vbCrLf,
//     vbNewLine, vbLf, vbCr) is ended by that constant alone;
//   - a line continued after an operator ("&" or "=" before its " _") is
//     not ended: the next physical line goes on with the same line of text;
//   - a line holding " _" alone is an empty line of text;
//   - the end of a statement ends its last line, unless the next
//     statement's first line holds no operand ("NAME = NAME & _"): the
//     text line then goes on in the next statement;
//   - the last line of the expression has no line end (the one line end
//     of the file after it is not text).
// The constants give their bytes (vbNullChar a NUL); ChrW gives its
// character in UTF-8, a high and a low surrogate that follow each other as
// one character (a surrogate alone as its three-byte form); Chr gives its
// byte.
//
// Returns false, with `stop` set and `text` unspecified, when `expression`
// is not such an expression.
bool decodeExpression(const std::string& expression, std::string& text, DecodeStop& stop);
