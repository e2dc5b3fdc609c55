// Decoding run the way the tool runs it for each file, output captured.
#pragma once

#include <string>

#include "parser/convert_input.h"
#include "parser/decode_expression.h"

// Decodes `expression` read from standard input (text mode) through
// readDecodedInput and writeDecodedText; `text` is what standard output
// received. False, with `stop` set and `text` empty, when the input is not
// an expression.
bool decodeStream(const std::string& expression, std::string& text, DecodeStop& stop,
                  ByteOrderMark mark = ByteOrderMark::Ignore);
