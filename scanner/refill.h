// The refill: more input for the current buffer when the engine reaches its
// end mark.
#pragma once

enum RefillResult { REFILL_CONTINUE = 0, REFILL_END = 1, REFILL_LAST_MATCH = 2 };

// The most characters one refill adds to a stream buffer.
constexpr int kReadCap = 8192;

// Reads into the current buffer: one byte from a file, a line from a
// terminal, nothing from a memory buffer; keeps the unfinished match at the
// front of the storage. A read error ends the input; the stream tells it
// (hasError()).
int yy_refill();
