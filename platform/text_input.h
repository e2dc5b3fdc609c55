// Buffered text-mode input stream over one descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/byte_channel.h"
#include "platform/text_check.h"

namespace platform {

// The three bytes a UTF-8 text may begin with to say it is UTF-8.
constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kUtf8ByteOrderMarkSize = sizeof kUtf8ByteOrderMark - 1;

// The byte-order mark a text began with.
enum class ByteOrderMarkKind { None, Utf8, Utf16LittleEndian, Utf16BigEndian };

// Delivers a descriptor's bytes as a text-mode stream does on every
// platform: a CR LF pair arrives as one line feed (also when the pair
// straddles two reads), a lone CR arrives unchanged, and a byte 0x1A ends
// the input. The descriptor is read in large blocks, which stay as they
// were read: getByte() turns each pair into its line feed as it reaches
// it, and a reader of whole runs (textRun()) does the same itself, so that
// no byte is moved on the way.
class TextInputStream {
public:
    static constexpr int kEnd = -1;

    explicit TextInputStream(int descriptor);
    TextInputStream(const TextInputStream&) = delete;
    TextInputStream& operator=(const TextInputStream&) = delete;

    // The next byte (0-255), or kEnd at the end of the input or on an error.
    int getByte() {
        if (next_ < plainEnd_) return static_cast<unsigned char>(buffer_[next_++]);
        return getByteSlow();
    }

    // The bytes that follow, as read, as one run in the stream's buffer:
    // their number, with `data` pointing at the first. Reads the next block
    // when none is left. The run ends before any 0x1A, and never between
    // the two bytes of a CR LF pair: each pair in it stands for one line
    // feed, and every other CR in it (also one last in the run) is a lone
    // CR. 0 when the next byte must be taken with getByte(): a 0x1A, a CR
    // whose partner is not read yet, the end or an error. The run stays
    // valid until the next call on the stream; take() says how much of it
    // was used, never half of a pair.
    std::size_t textRun(char*& data) {
        if (next_ >= runEnd_ && !readRun()) return 0;
        data = buffer_ + next_;
        return runEnd_ - next_;
    }
    // Marks `count` bytes of the last run as read.
    void take(std::size_t count) { next_ += count; }
    // Consumes a byte-order mark that starts the input and says which it
    // was. Called before the first byte is read. After a UTF-16 mark (FF FE
    // little-endian, FE FF big-endian) the stream reads UTF-16 text: each
    // character is delivered as its UTF-8 bytes, a surrogate half without
    // its partner as the three bytes UTF-8 would give its number, and an
    // odd last byte as U+FFFD; the line-end and 0x1A rules then hold for
    // the characters (U+000D U+000A is one line feed, U+001A ends the text).
    ByteOrderMarkKind skipByteOrderMark();
    // True while the stream reads UTF-16 text (until reset).
    bool readsUtf16() const { return utf16_ != Utf16::Off; }

    bool atEnd() const { return atEnd_; }
    bool hasError() const { return hasError_; }
    // The error number of the read that failed.
    int errorNumber() const { return errorNumber_; }
    // Drops buffered bytes and both indicators: the next read starts afresh
    // from whatever the descriptor now refers to.
    void reset();
    // The descriptor read, or -1 when the stream reads another source.
    int descriptor() const { return source_ == &descriptorSource_ ? descriptorSource_.descriptor() : -1; }
    // Reads `descriptor` from now on, starting afresh as after reset().
    // `regularFile` says the caller has seen it is a plain file (from the
    // stat it made anyway), so it is known to be no terminal; `size` is
    // then the size that stat gave, or -1. A plain file whose bytes read
    // so far make up its size, the last read short, is at its end: the
    // read that would only say so is left out.
    void attach(int descriptor, bool regularFile, std::int64_t size = -1);
    // The same for any source of bytes; `source` must outlive its use.
    void attach(ByteSource& source, bool regularFile, std::int64_t size = -1);
    // Whether the descriptor is a terminal; asks the system only when the
    // descriptor is not known to be a plain file.
    bool isTerminal() const;

    // From now until the next attach(), every block read is judged as
    // TextCheck judges a file (called before the first read); after a
    // UTF-16 mark, the characters decoded are judged instead, so U+0000 and
    // U+001A count as a NUL and a 0x1A byte. Once the
    // input is known not to be text, that block is dropped and the input
    // ends there: nothing after it is read or delivered. A 0x1A that ends
    // a block is followed by one more read, unless the file's size already
    // showed its end, to know whether anything comes after it.
    void requireText() {
        checking_ = true;
        textCheck_.start();
    }
    // False when requireText() found the input not to be text.
    bool isText() const { return textCheck_.isText(); }

private:
    static constexpr std::size_t kCapacity = 1 << 16;
    int getByteSlow();
    // Reads the next block when every byte of the last run has been taken.
    bool readRun();
    // Reads more after the unread bytes; false at end of file or error
    // (or, reading UTF-16, when the read gave no byte to deliver).
    bool fill();
    // Judges the bytes read from `from` to the end of the buffer; when
    // they are not text, drops them and ends the input.
    bool stillText(std::size_t from);
    bool fillUtf16();
    // Judges the characters decoded from UTF-16 from `from` to the end of
    // the buffer; when they are not text, drops them and ends the input.
    bool stillDecodedText(std::size_t from);
    // Reads up to `wanted` bytes into `into`, keeping the end, error and
    // size state; the read's result.
    long readMore(char* into, std::size_t wanted);
    // Works out where the 0x1A, the deliverable run and the plain bytes end
    // after the buffer has grown.
    void findEnds();
    // Turns the UTF-16 bytes held in raw_ into UTF-8 at the buffer's end;
    // `last`: no more bytes follow, so nothing may stay held. Returns the
    // number of bytes added.
    std::size_t decodeUtf16(bool last);

    DescriptorSource descriptorSource_;
    ByteSource* source_ = &descriptorSource_;
    bool regularFile_ = false;
    // Bytes of a plain file not read yet by its size, or -1: unknown.
    std::int64_t sizeLeft_ = -1;
    std::size_t next_ = 0;
    std::size_t end_ = 0;
    // The first 0x1A read, or end_.
    std::size_t ctrlZ_ = 0;
    // The end of what textRun() delivers: ctrlZ_, or before a CR last in
    // the buffer, which waits for the byte after it.
    std::size_t runEnd_ = 0;
    // Bytes before this position can be delivered as they are: no CR and
    // no 0x1A among them. Worked out by getByte() when it reaches it.
    std::size_t plainEnd_ = 0;
    bool atEnd_ = false;
    bool hasError_ = false;
    int errorNumber_ = 0;
    bool checking_ = false;
    TextCheck textCheck_;
    enum class Utf16 { Off, LittleEndian, BigEndian };
    Utf16 utf16_ = Utf16::Off;
    // UTF-16 bytes read and not decoded yet (made at the first UTF-16 mark).
    std::unique_ptr<unsigned char[]> raw_;
    std::size_t rawUsed_ = 0;
    char buffer_[kCapacity];
};

// The process's standard input (descriptor 0).
extern TextInputStream standardInputStream;
inline TextInputStream& standardInput() { return standardInputStream; }

}  // namespace platform
