// The way back: from a string expression as the tool writes it to the text
// it was made from, read from a text input stream and written to a text
// output stream as it is decoded, in memory that does not grow with the
// input.
#pragma once

#include <cstddef>

#include "parser/convert_input.h"
#include "platform/text_input.h"
#include "platform/text_output.h"

// Where an input stops being an expression: its physical line and the byte
// column in it, both counted from 1.
struct DecodeStop {
    std::size_t line = 0;
    std::size_t column = 0;
};

// The expression is one or more statements. The first begins with "=" (the
// prologue TAB "= ") or "NAME =" (a VB identifier: a letter, then letters,
// digits or "_", 255 at most); every further one is "NAME = NAME &" with
// the first one's NAME (in any case). Operands are joined by "&": string
// literals (quotes doubled, no CR, LF or NUL inside), the constants vbCrLf,
// vbNewLine, vbLf, vbCr and vbNullChar, and ChrW(N) and Chr(N) with N
// decimal or &H hexadecimal (ChrW up to &HFFFF, Chr up to &HFF). A line is
// continued by " _" at its end. Spaces and TABs may stand between tokens;
// names and constants are read in any case. Lines end with LF or CR LF
// (as text mode reads them: also CR CR LF, which it reads as CR LF).
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
// Where the input stops being an expression: at the first token that cannot
// stand where it stands, at its first byte (also when what follows would
// not make a token either, and for a name longer than 255 characters); a
// string literal or a ChrW or Chr call where an operand may stand, at the
// byte where it goes wrong.
enum class DecodeResult {
    Decoded,        // the input was an expression; its text is written
    NotExpression,  // `stop` says where it stops being one
    ReadFailed,     // the stream could not be read (in.hasError())
};

// Decodes the expression that `in` delivers (text mode: CR LF as LF, a
// 0x1A ends it) into `out`, with writeRaw: the text carries its own CR LF
// line ends. `in` is read from its start (just attached or reset), and no
// further than the token where the input stops being an expression. A
// UTF-8 byte-order mark at the start is handled as convertInput handles
// it: Keep writes it in front of the text, Drop leaves it out, Ignore does
// not look; after a UTF-16 mark the expression is read as the stream
// decodes it. Unless the result is Decoded, `out` may hold a part of the
// text: the caller gives it up. `out` is not flushed.
DecodeResult decodeStream(platform::TextInputStream& in, platform::TextOutputStream& out, ByteOrderMark mark,
                          DecodeStop& stop);
