#include "platform/spool.h"

#include "platform/anonymous_file.h"
#include "platform/descriptors.h"

namespace platform {

bool Spool::write(const char* data, std::size_t length) {
    if (file_ < 0 && memory_.size() + length <= limit_) {
        memory_.append(data, length);
        return true;
    }
    if (file_ < 0) {
        file_ = openAnonymousFile();
        if (file_ < 0) return false;
        if (!writeAll(file_, memory_.data(), memory_.size())) return false;
        std::string().swap(memory_);
    }
    return writeAll(file_, data, length);
}

bool Spool::copyTo(ByteSink& out) {
    bool copied = out.write(memory_.data(), memory_.size());
    if (copied && file_ >= 0) {
        copied = rewindDescriptor(file_);
        char block[1 << 16];
        long got = 0;
        while (copied && (got = readSome(file_, block, sizeof block)) > 0) {
            copied = out.write(block, static_cast<std::size_t>(got));
        }
        copied = copied && got == 0;
    }
    clear();
    return copied;
}

void Spool::clear() {
    std::string().swap(memory_);
    if (file_ >= 0) closeDescriptorQuietly(file_);
    file_ = -1;
}

}  // namespace platform
