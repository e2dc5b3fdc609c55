// Decoding what standard input holds, as the tool decodes each file.
#pragma once

#include <string>

#include "parser/convert_input.h"
#include "parser/decode_expression.h"

// Reads the input stream `in` to its end (text mode: CR LF as LF, a 0x1A
// ends it) and decodes it as an expression. A UTF-8
// byte-order mark at its start is handled as convertInput handles it: Keep
// puts it in front of the text, Drop leaves it out. On success `text`
// holds every byte to write; false, with `stop` set and nothing written,
// when the input is not an expression, or when reading it failed (the
// stream tells: hasError()).
bool readDecodedInput(platform::TextInputStream& in, ByteOrderMark mark, std::string& text, DecodeStop& stop);

// Writes `text` to `out` as it stands (its line ends are already the
// text's), the stream starting afresh as for a conversion: nothing
// buffered from an earlier input, no error, no bytes counted.
void writeDecodedText(platform::TextOutputStream& out, const std::string& text);
