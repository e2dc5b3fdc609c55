// Scanner input buffers: creation, binding, switching and memory buffers.
#pragma once

#include <cstddef>

#include "platform/text_input.h"
#include "scanner/scanner_state.h"

enum ScanStatus { SCAN_NEW = 0, SCAN_NORMAL = 1, SCAN_END_PENDING = 2 };

struct ScanBuffer {
    ScanStream* input_stream;  // null for a memory buffer
    char* storage;             // size + 2 bytes: the characters, then two NULs
    char* position;            // scanning position, saved while not current
    unsigned size;             // capacity in characters
    int char_count;            // characters held, saved while not current
    int owns_storage;
    int is_interactive;        // a terminal: read a line per refill
    int at_line_start;
    int may_refill;            // 0: the end of the block ends the input
    int status;                // ScanStatus
};

ScanBuffer* yy_create_buffer(ScanStream* stream, int size);
void yy_bind_buffer(ScanBuffer* buffer, ScanStream* stream);
void yy_reset_buffer(ScanBuffer* buffer);
void yy_load_state();
void yy_use_buffer(ScanBuffer* buffer);
void yy_restart_input(ScanStream* stream);
void yy_free_buffer(ScanBuffer* buffer);
// Null without a message when size < 2 or the block does not end in two NULs.
ScanBuffer* yy_scan_buffer(char* base, std::size_t size);
// Null without touching memory when length is negative.
ScanBuffer* yy_scan_bytes(const char* bytes, int length);
ScanBuffer* yy_scan_text(const char* text);

void* yy_alloc(std::size_t size);
void* yy_realloc(void* block, std::size_t size);
void yy_free(void* block);
