// Decoding what standard input holds, as the tool decodes each file, the
// text kept whole until it is written.
#pragma once

#include <string>

#include "parser/convert_input.h"
#include "parser/decode_expression.h"

// Decodes the scanner's standard input stream, read afresh, with
// decodeStream into `text`. A UTF-8 byte-order mark at its start is
// handled as convertInput handles it: Keep puts it in front of the text,
// Drop leaves it out. On success `text` holds every byte to write; false,
// with `stop` set and `text` empty, when the input is not an expression.
// A read error ends the run as the scanner's does.
bool readDecodedInput(ByteOrderMark mark, std::string& text, DecodeStop& stop);

// Writes `text` to standard output as it stands (its line ends are already
// the text's), the stream starting afresh as for a conversion: nothing
// buffered from an earlier input, no error, no bytes counted.
void writeDecodedText(const std::string& text);
