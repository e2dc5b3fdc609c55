#include "scanner/scan_buffer.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "scanner/fatal.h"
#include "scanner/tables.h"

void* yy_alloc(std::size_t size) { return std::malloc(size); }
void* yy_realloc(void* block, std::size_t size) { return std::realloc(block, size); }
void yy_free(void* block) { std::free(block); }

ScanBuffer* yy_create_buffer(ScanStream* stream, int size) {
    if (size < 0) yy_fatal("bad buffer size in yy_create_buffer()");
    ScanBuffer* buffer = static_cast<ScanBuffer*>(yy_alloc(sizeof(ScanBuffer)));
    if (buffer == nullptr) yy_fatal("out of dynamic memory in yy_create_buffer()");
    std::memset(buffer, 0, sizeof *buffer);
    buffer->size = static_cast<unsigned>(size);
    buffer->storage = static_cast<char*>(yy_alloc(static_cast<std::size_t>(size) + 2));
    if (buffer->storage == nullptr) yy_fatal("out of dynamic memory in yy_create_buffer()");
    buffer->owns_storage = 1;
    yy_bind_buffer(buffer, stream);
    return buffer;
}

void yy_bind_buffer(ScanBuffer* buffer, ScanStream* stream) {
    yy_reset_buffer(buffer);
    buffer->input_stream = stream;
    buffer->may_refill = 1;
    buffer->is_interactive = (stream != nullptr && stream->isTerminal()) ? 1 : 0;
}

void yy_reset_buffer(ScanBuffer* buffer) {
    buffer->char_count = 0;
    buffer->storage[0] = '\0';
    buffer->storage[1] = '\0';
    buffer->position = buffer->storage;
    buffer->at_line_start = 1;
    buffer->status = SCAN_NEW;
    if (buffer == current_buffer) yy_load_state();
}

void yy_load_state() {
    scan_count = current_buffer->char_count;
    scan_pos = match_start = current_buffer->position;
    scan_in = current_buffer->input_stream;
    held_char = *scan_pos;
}

void yy_use_buffer(ScanBuffer* buffer) {
    if (current_buffer == buffer) return;
    if (current_buffer != nullptr) {
        *scan_pos = held_char;
        current_buffer->position = scan_pos;
        current_buffer->char_count = scan_count;
    }
    current_buffer = buffer;
    yy_load_state();
    switched_at_end = 1;
}

void yy_restart_input(ScanStream* stream) {
    if (current_buffer == nullptr) current_buffer = yy_create_buffer(scan_in, kDefaultBufferSize);
    yy_bind_buffer(current_buffer, stream);
    yy_load_state();
}

void yy_free_buffer(ScanBuffer* buffer) {
    if (buffer == nullptr) return;
    if (buffer == current_buffer) current_buffer = nullptr;
    if (buffer->owns_storage) yy_free(buffer->storage);
    yy_free(buffer);
}

ScanBuffer* yy_scan_buffer(char* base, std::size_t size) {
    // The character count must fit the scanner's int counters.
    if (size < 2 || base[size - 2] != '\0' || base[size - 1] != '\0') return nullptr;
    if (size - 2 > static_cast<std::size_t>(INT_MAX)) return nullptr;
    ScanBuffer* buffer = static_cast<ScanBuffer*>(yy_alloc(sizeof(ScanBuffer)));
    if (buffer == nullptr) yy_fatal("out of dynamic memory in yy_scan_buffer()");
    buffer->size = static_cast<unsigned>(size - 2);
    buffer->storage = buffer->position = base;
    buffer->owns_storage = 0;
    buffer->input_stream = nullptr;
    buffer->char_count = static_cast<int>(size - 2);
    buffer->is_interactive = 0;
    buffer->at_line_start = 1;
    buffer->may_refill = 0;
    buffer->status = SCAN_NEW;
    yy_use_buffer(buffer);
    return buffer;
}

ScanBuffer* yy_scan_bytes(const char* bytes, int length) {
    if (length < 0) return nullptr;
    std::size_t total = static_cast<std::size_t>(length) + 2;
    char* copy = static_cast<char*>(yy_alloc(total));
    if (copy == nullptr) yy_fatal("out of dynamic memory in yy_scan_bytes()");
    if (length > 0) std::memcpy(copy, bytes, static_cast<std::size_t>(length));
    copy[total - 2] = copy[total - 1] = '\0';
    ScanBuffer* buffer = yy_scan_buffer(copy, total);
    if (buffer == nullptr) yy_fatal("bad buffer in yy_scan_bytes()");
    buffer->owns_storage = 1;
    return buffer;
}

ScanBuffer* yy_scan_text(const char* text) {
    std::size_t length = std::strlen(text);
    if (length > static_cast<std::size_t>(INT_MAX) - 2) return nullptr;
    return yy_scan_bytes(text, static_cast<int>(length));
}
