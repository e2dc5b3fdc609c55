#include "scanner/refill.h"

#include <cstdint>

#include "scanner/fatal.h"
#include "scanner/line_state.h"
#include "scanner/scan_buffer.h"

namespace {

// Grows the storage of the current buffer until it has room beyond the
// `keep` characters of the partial match. Returns the room.
std::int64_t makeRoom(ScanBuffer* b, int keep) {
    std::int64_t room = static_cast<std::int64_t>(b->size) - keep - 1;
    while (room <= 0) {
        std::ptrdiff_t offset = scan_pos - b->storage;
        if (b->owns_storage) {
            std::uint64_t size = b->size;
            std::uint64_t grown = (size > 0 && size <= 0x3FFFFFFF) ? 2 * size : size + size / 8;
            if (grown <= size) grown = size + 1;
            if (grown > UINT32_MAX - 2) yy_fatal("fatal error - scanner input buffer overflow");
            char* storage = static_cast<char*>(yy_realloc(b->storage, static_cast<std::size_t>(grown) + 2));
            if (storage == nullptr) yy_fatal("fatal error - scanner input buffer overflow");
            b->size = static_cast<unsigned>(grown);
            b->storage = storage;
        } else {
            yy_fatal("fatal error - scanner input buffer overflow");
        }
        scan_pos = b->storage + offset;
        room = static_cast<std::int64_t>(b->size) - keep - 1;
    }
    return room > kReadCap ? kReadCap : room;
}

// A read error ends the input as its end does; the stream keeps the error
// for whoever runs the conversion to report, with the input's name.

// A terminal: a line at a time, with its line feed.
int readLine(char* into, std::int64_t room) {
    int n = 0;
    int c = 0;
    while (n < room && (c = scan_in->getByte()) != ScanStream::kEnd && c != '\n') into[n++] = static_cast<char>(c);
    if (c == '\n') {
        into[n++] = '\n';
        ++noLng;
    }
    return n;
}

// Any other stream: exactly one byte, keeping the line's text and number.
int readOneByte(char* into) {
    int c = scan_in->getByte();
    if (c == ScanStream::kEnd) return 0;
    *into = static_cast<char>(c);
    noteByteRead(c);
    return 1;
}

}  // namespace

int yy_refill() {
    ScanBuffer* b = current_buffer;
    if (scan_pos > b->storage + scan_count + 1) yy_fatal("fatal scanner internal error--end of buffer missed");

    if (!b->may_refill) return (scan_pos - match_start == 1) ? REFILL_END : REFILL_LAST_MATCH;

    int keep = static_cast<int>(scan_pos - match_start - 1);

    // The usual case of a file: nothing to keep, room for the byte, one
    // byte read into the front of the storage.
    if (keep == 0 && !b->is_interactive && b->status != SCAN_END_PENDING && b->size > 1) {
        char* storage = b->storage;
        if (readOneByte(storage) == 1) {
            scan_count = 1;
            storage[1] = '\0';
            storage[2] = '\0';
            match_start = storage;
            return REFILL_CONTINUE;
        }
        scan_count = 0;
        yy_restart_input(scan_in);
        current_buffer->storage[0] = '\0';
        current_buffer->storage[1] = '\0';
        match_start = current_buffer->storage;
        return REFILL_END;
    }

    // Move the unfinished match to the front; the copy runs forward.
    char* from = match_start;
    for (int i = 0; i < keep; ++i) b->storage[i] = from[i];

    if (b->status == SCAN_END_PENDING) {
        scan_count = 0;
    } else {
        std::int64_t room = makeRoom(b, keep);
        char* into = b->storage + keep;
        scan_count = b->is_interactive ? readLine(into, room) : readOneByte(into);
    }

    int result;
    if (scan_count > 0) {
        result = REFILL_CONTINUE;
    } else if (keep == 0) {
        result = REFILL_END;
        yy_restart_input(scan_in);
    } else {
        result = REFILL_LAST_MATCH;
        b->status = SCAN_END_PENDING;
    }

    scan_count += keep;
    current_buffer->storage[scan_count] = '\0';
    current_buffer->storage[scan_count + 1] = '\0';
    match_start = current_buffer->storage;
    return result;
}
