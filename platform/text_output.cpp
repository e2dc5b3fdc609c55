#include "platform/text_output.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/descriptors.h"
#include "platform/format_text.h"

namespace platform {

TextOutputStream::TextOutputStream(int descriptor) : descriptorSink_(descriptor) {}

TextOutputStream::~TextOutputStream() { flush(); }

void TextOutputStream::writeLines(const char* data, std::size_t length) {
    const char* end = data + length;
    while (data < end) {
        const void* lineFeed = std::memchr(data, '\n', static_cast<std::size_t>(end - data));
        const char* stop = lineFeed != nullptr ? static_cast<const char*>(lineFeed) : end;
        writeRaw(data, static_cast<std::size_t>(stop - data));
        if (stop == end) return;
        writeRaw("\r\n", 2);
        data = stop + 1;
    }
}

void TextOutputStream::writeThrough(const char* data, std::size_t length) {
    if (sink_->write(data, length)) {
        written_ += length;
    } else if (!failed_) {
        failed_ = true;
        errorNumber_ = errno;
    }
}

void TextOutputStream::writeText(const char* text) { write(text, std::strlen(text)); }

void TextOutputStream::printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = formatText(format, args);
    va_end(args);
    write(text.data(), text.size());
}

void TextOutputStream::drain() {
    if (used_ == 0) return;
    writeThrough(buffer_, used_);
    used_ = 0;
}

bool TextOutputStream::flush() {
    drain();
    return !failed_;
}

// Its destructor flushes at the ordinary process exit. Nothing writes to it
// while static objects are still being constructed.
TextOutputStream standardOutputStream(1);

}  // namespace platform
