// Whether a file's bytes are text that a conversion may stand in for.
#pragma once

#include <cstddef>

namespace platform {

// Judges a file from its bytes, given in order and in pieces of any size.
// A file is not text when it holds a NUL byte, or any byte after its first
// 0x1A (the text-mode end of its text): converting it would lose those
// bytes. The bytes of a file that begins with a UTF-16 byte-order mark (FF
// FE or FE FF) are judged by neither rule, since its NUL and 0x1A bytes
// are halves of its characters: the text input stream judges the
// characters it decodes from them instead. The empty file is text.
class TextCheck {
public:
    // Starts judging a new file.
    void start() { *this = TextCheck(); }
    // The file's next `count` bytes; false once the file is known not to be
    // text (nothing more needs to be looked at then).
    bool look(const char* data, std::size_t count);
    // The same, for a caller that has found the first 0x1A among them
    // already: `firstCtrlZ`, or nullptr when there is none.
    bool look(const char* data, std::size_t count, const char* firstCtrlZ);
    bool isText() const { return !notText_; }
    // True after a 0x1A that was the last byte looked at: only the end of
    // the file keeps it text.
    bool awaitsEnd() const { return afterCtrlZ_ && !notText_; }

private:
    enum class Mark { Unknown, Utf16, None };
    Mark mark_ = Mark::Unknown;
    // The first byte while it may begin a UTF-16 mark.
    unsigned char firstByte_ = 0;
    bool afterCtrlZ_ = false;
    bool notText_ = false;
};

}  // namespace platform
