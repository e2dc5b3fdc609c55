#include "platform/partial_copy_record.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/descriptors.h"
#include "platform/working_files.h"

namespace platform {

// The record: the copy's native path and a NUL; once the copy exists, its
// identity as "device inode\n". At most one copy is under way at a time.

static int recordDescriptor = -1;
// Longer than any path the systems allow, so a record is always read whole.
static const std::size_t kMaxRecord = 65536;

void recordPartialCopiesIn(int descriptor) { recordDescriptor = descriptor; }

// The record is written between the steps of a move, whose callers read
// errno: it is left as it was.
static void writeRecord(const std::string& text, bool emptyFirst) {
    if (recordDescriptor < 0) return;
    int saved = errno;
    if (emptyFirst) truncateDescriptor(recordDescriptor, 0);
    if (!text.empty()) writeAll(recordDescriptor, text.data(), text.size());
    errno = saved;
}

void recordPartialCopyName(const FileLocation& copy) { writeRecord(copy.native + std::string(1, '\0'), true); }

void recordPartialCopyIdentity(const FileIdentity& identity) {
    if (!identity.exists) return;
    char text[64];
    std::snprintf(text, sizeof text, "%" PRIu64 " %" PRIu64 "\n", identity.device, identity.inode);
    writeRecord(text, false);
}

void recordPartialCopyDone() { writeRecord(std::string(), true); }

bool isPartialCopyName(const std::string& base) { return base.find(".txt2vb-") != std::string::npos; }

static std::string lastComponent(const std::string& path) {
    std::size_t separator = path.find_last_of("/\\:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

// The identity recorded after the name, or one that does not exist.
static FileIdentity parseIdentity(const std::string& text) {
    FileIdentity identity;
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    unsigned long long device = std::strtoull(start, &end, 10);
    if (end == start || *end != ' ' || errno != 0) return identity;
    start = end + 1;
    unsigned long long inode = std::strtoull(start, &end, 10);
    if (end == start || *end != '\n' || errno != 0) return identity;
    identity.exists = true;
    identity.device = device;
    identity.inode = inode;
    return identity;
}

void removeRecordedPartialCopy(int descriptor) {
    std::string record;
    char block[4096];
    long got;
    while (record.size() < kMaxRecord && (got = readSome(descriptor, block, sizeof block)) > 0) {
        record.append(block, static_cast<std::size_t>(got));
    }
    std::size_t end = record.find('\0');
    if (end != std::string::npos && end > 0 && isPartialCopyName(lastComponent(record.substr(0, end)))) {
        const FileLocation copy{record.substr(0, end)};
        const FileIdentity identity = parseIdentity(record.substr(end + 1));
        std::string ignored;
        if (identity.exists) {
            removeIfSame(copy, identity);
        } else {
            clearWorkingName(copy, &ignored);
        }
    }
    if (!record.empty()) truncateDescriptor(descriptor, 0);
}

}  // namespace platform
