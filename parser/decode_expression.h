// The way back for an expression held in memory, or handed out by any
// source of bytes, as decodeStream decodes one read from a stream.
#pragma once

#include <string>

#include "parser/decode_stream.h"
#include "platform/byte_channel.h"

// Decodes what `source` hands out, read as a text-mode stream reads it (no
// byte-order mark looked for), into `text`: what decodeStream wrote, also
// when it gives another result.
DecodeResult decodeSource(platform::ByteSource& source, std::string& text, DecodeStop& stop);

// Decodes `expression`, whose lines end with LF or CR LF, into `text` (see
// decodeStream for what is read and the text it gives). A byte-order mark
// is not looked for; a 0x1A and a CR before CR LF are bytes like any
// other, which no token holds. Returns false, with `stop` set and `text` unspecified, when
// `expression` is not such an expression.
bool decodeExpression(const std::string& expression, std::string& text, DecodeStop& stop);
