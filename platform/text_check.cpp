#include "platform/text_check.h"

#include <cstring>

namespace platform {

bool TextCheck::look(const char* data, std::size_t count) {
    return look(data, count, static_cast<const char*>(std::memchr(data, 0x1A, count)));
}

bool TextCheck::look(const char* data, std::size_t count, const char* firstCtrlZ) {
    if (notText_) return false;
    // The first two bytes say whether the file is UTF-16. A byte of the
    // mark is neither a NUL nor a 0x1A, so those taken here need no other
    // look; a byte that ends the question is judged with the rest.
    while (mark_ == Mark::Unknown && count != 0) {
        const unsigned char byte = static_cast<unsigned char>(*data);
        const bool markByte = byte == 0xFF || byte == 0xFE;
        if (firstByte_ == 0) {
            if (!markByte) {
                mark_ = Mark::None;
                break;
            }
            firstByte_ = byte;
        } else {
            mark_ = markByte && byte != firstByte_ ? Mark::Utf16 : Mark::None;
            if (mark_ == Mark::None) break;
        }
        ++data;
        --count;
    }
    if (mark_ != Mark::None || count == 0) return true;
    if (afterCtrlZ_) {
        notText_ = true;
        return false;
    }
    const std::size_t textLength = firstCtrlZ != nullptr ? static_cast<std::size_t>(firstCtrlZ - data) : count;
    if (std::memchr(data, '\0', textLength) != nullptr || (firstCtrlZ != nullptr && textLength + 1 < count)) {
        notText_ = true;
        return false;
    }
    afterCtrlZ_ = firstCtrlZ != nullptr;
    return true;
}

}  // namespace platform
