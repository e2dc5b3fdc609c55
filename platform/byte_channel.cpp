#include "platform/byte_channel.h"

#include <algorithm>
#include <cstring>

#include "platform/descriptors.h"

namespace platform {

long DescriptorSource::read(char* into, std::size_t capacity) { return readSome(descriptor_, into, capacity); }

bool DescriptorSource::isTerminal() const { return platform::isTerminal(descriptor_); }

bool DescriptorSink::write(const char* data, std::size_t length) { return writeAll(descriptor_, data, length); }

long MemorySource::read(char* into, std::size_t capacity) {
    const std::size_t count = std::min(capacity, size_ - next_);
    if (count != 0) std::memcpy(into, data_ + next_, count);
    next_ += count;
    return static_cast<long>(count);
}

}  // namespace platform
