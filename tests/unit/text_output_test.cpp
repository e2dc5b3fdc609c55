// The text-mode output stream above the descriptors: every line feed
// reaches the descriptor as CR LF on every system, bytes already in that
// form pass as they are, any length is written whole, and a failed write
// is remembered with its error number.
#include "platform/text_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/descriptors.h"
#include "platform/process.h"
#include "support/scratch_files.h"
#include "support/text_model.h"

namespace {

using platform::TextOutputStream;

// What reached the descriptor, from its start.
std::string contentsOf(int fd) {
    std::string bytes;
    if (!seekTo(fd, 0)) return "(seek failed)";
    char chunk[65536];
    for (;;) {
        long n = platform::readSome(fd, chunk, sizeof chunk);
        if (n <= 0) return bytes;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
}

// The short copy of runs of text: every length up to past its largest
// inline case, at every alignment, touches exactly the bytes it copies.
TEST(TextOutputStreamTest, CopiesEveryShortLengthExactly) {
    std::string source(200, '\0');
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>('A' + i % 53);
    for (std::size_t offset = 0; offset < 8; ++offset) {
        for (std::size_t length = 0; length <= 130; ++length) {
            std::string target(200, '.');
            platform::copyBytes(&target[offset], &source[3], length);
            std::string expected(200, '.');
            expected.replace(offset, length, source, 3, length);
            ASSERT_EQ(target, expected) << "length " << length << " at offset " << offset;
        }
    }
}

TEST(TextOutputStreamTest, WritesLineFeedsAsCrLf) {
    struct Case {
        const char* name;
        std::function<void(TextOutputStream&)> write;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"nothing", [](TextOutputStream&) {}, ""},
        {"one line feed", [](TextOutputStream& out) { out.putByte('\n'); }, "\r\n"},
        {"bytes of every kind", [](TextOutputStream& out) { for (int c : {int{'a'}, int{'\r'}, 0, 0x1a, 0xff, int{'\n'}}) out.putByte(static_cast<unsigned char>(c)); },
         std::string("a\r\0\x1a\xff\r\n", 7)},
        {"text bytes", [](TextOutputStream& out) { out.putTextByte('x'); out.putTextByte('\r'); }, "x\r"},
        {"a block", [](TextOutputStream& out) { out.write("a\nb\n\n", 5); }, "a\r\nb\r\n\r\n"},
        {"a single byte through write", [](TextOutputStream& out) { out.write("\n", 1); }, "\r\n"},
        {"CR LF written becomes CR CR LF", [](TextOutputStream& out) { out.writeText("a\r\n"); }, "a\r\r\n"},
        {"raw bytes pass as they are", [](TextOutputStream& out) { out.writeRaw("a\r\nb\n", 5); }, "a\r\nb\n"},
        {"printf", [](TextOutputStream& out) { out.printf("%d %s\n", 42, "x\ny"); }, "42 x\r\ny\r\n"},
        {"printf beyond any small buffer",
         [](TextOutputStream& out) { out.printf("%s|%s", std::string(3000, 'p').c_str(), std::string(9000, 'q').c_str()); },
         std::string(3000, 'p') + "|" + std::string(9000, 'q')},
        {"discard drops what is buffered",
         [](TextOutputStream& out) { out.writeText("dropped\n"); out.discard(); out.writeText("kept"); }, "kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int fd = temporaryFileWith("");
        ASSERT_GE(fd, 0);
        auto out = std::make_unique<TextOutputStream>(fd);
        c.write(*out);
        EXPECT_TRUE(out->flush());
        EXPECT_FALSE(out->failed());
        EXPECT_EQ(out->bytesWritten(), c.expected.size());
        EXPECT_EQ(contentsOf(fd), c.expected);
        platform::closeDescriptor(fd);
    }
}

TEST(TextOutputStreamTest, LongOutputsAcrossTheBuffer) {
    const std::size_t block = 1 << 16;
    std::mt19937 random(977);
    const std::string alphabet("ab\n\r\0\xff", 6);
    std::string text;
    for (std::size_t i = 0; i < 3 * block + 11; ++i) text += alphabet[random() % alphabet.size()];
    // Line feeds where the expansion meets the end of the buffer.
    text[block - 2] = '\n';
    text[block - 1] = '\n';
    int fd = temporaryFileWith("");
    ASSERT_GE(fd, 0);
    {
        auto out = std::make_unique<TextOutputStream>(fd);
        for (std::size_t i = 0; i < text.size(); i += 1000) out->write(text.data() + i, std::min<std::size_t>(1000, text.size() - i));
        const std::string raw(2 * block + 5, 'r');  // larger than the buffer: written straight through
        out->writeRaw(raw.data(), raw.size());
        text += raw;
        out->putByte('\n');
        // The destructor flushes.
    }
    std::string expected = crlf(text.substr(0, 3 * block + 11)) + text.substr(3 * block + 11) + "\r\n";
    const std::string got = contentsOf(fd);
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
    platform::closeDescriptor(fd);
}

TEST(TextOutputStreamTest, ByteCountFollowsTheDescriptor) {
    int fd = temporaryFileWith("");
    ASSERT_GE(fd, 0);
    auto out = std::make_unique<TextOutputStream>(fd);
    out->writeText("ab\n");
    EXPECT_EQ(out->bytesWritten(), 0u);  // still buffered
    ASSERT_TRUE(out->flush());
    EXPECT_EQ(out->bytesWritten(), 4u);
    out->resetByteCount();
    EXPECT_EQ(out->bytesWritten(), 0u);
    out->writeText("\n\n");
    ASSERT_TRUE(out->flush());
    EXPECT_EQ(out->bytesWritten(), 4u);
    EXPECT_EQ(contentsOf(fd), "ab\r\n\r\n\r\n");
    platform::closeDescriptor(fd);
}

TEST(TextOutputStreamTest, FailedWriteIsRemembered) {
    platform::initProcess();  // a descriptor that is not open fails the write
    int ends[2];
    ASSERT_TRUE(makePipe(ends));
    for (int descriptor : {ends[0], -1}) {  // the reading end of a pipe, and no descriptor
        SCOPED_TRACE(descriptor);
        auto out = std::make_unique<TextOutputStream>(descriptor);
        out->writeText("lost\n");
        EXPECT_FALSE(out->failed());  // nothing written yet
        EXPECT_FALSE(out->flush());
        EXPECT_TRUE(out->failed());
        EXPECT_EQ(out->errorNumber(), EBADF);
        EXPECT_EQ(out->bytesWritten(), 0u);
        // Remembered until cleared, even when nothing more fails.
        EXPECT_FALSE(out->flush());
        out->clearError();
        EXPECT_FALSE(out->failed());
        EXPECT_EQ(out->errorNumber(), 0);
        EXPECT_TRUE(out->flush());
    }
    platform::closeDescriptor(ends[0]);
    platform::closeDescriptor(ends[1]);
}

}  // namespace
