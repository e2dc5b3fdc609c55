// What the tool's output must be, worked out from the documented formats
// alone: the text-mode streams and the layout of the expression.
#pragma once

#include <string>

// The bytes the text-mode input stream delivers for `raw`: CR LF as LF, a
// 0x1A ends the input.
std::string textModeDecode(const std::string& raw);

// `text` as the text-mode output stream writes it: each LF as CR LF.
std::string crlf(const std::string& text);

// `text` with every line feed removed: the value of the expression the
// tool writes for `text`.
std::string withoutLineFeeds(const std::string& text);

// `text` with every line feed replaced by `lineEnd` ("" removes them).
std::string withLineEnds(const std::string& text, const std::string& lineEnd);

// The UTF-16 bytes `raw` (after the mark; big-endian or little-endian) as
// the input stream delivers them before its text-mode rules: each
// character as UTF-8, a surrogate half alone as the three bytes its number
// would have, an odd last byte as U+FFFD.
std::string utf16AsUtf8(const std::string& raw, bool bigEndian);

// `text` with each surrogate half's three bytes followed by its partner's
// (ED A0-AF xx, ED B0-BF xx) turned into the character they make: two
// halves that meet in a value are one character.
std::string joinedSurrogates(const std::string& text);

// The exact bytes the tool writes for `text` as the scanner sees it (after
// any text-mode decoding): the prologue, each quote doubled, each line feed
// closing the string (" _") or continuing a line with no string ("\t_"),
// each line's first other byte opening an operand ("\t& \""), a CR or a NUL
// joined as vbCr or vbNullChar between two strings, and the epilogue; every
// line ends with CR LF.
std::string expectedOutput(const std::string& text);

// Printable ASCII as it is, every other byte and the backslash as \xHH.
std::string escaped(const std::string& bytes);
