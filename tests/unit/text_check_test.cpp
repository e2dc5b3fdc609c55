// Which inputs are text: the judgement on its own, fed in pieces of every
// size, and the input stream that stops reading an input found not to be
// text, over the block boundaries of its reads.
#include "platform/text_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/descriptors.h"
#include "platform/text_input.h"
#include "support/scratch_files.h"
#include "support/text_model.h"

namespace {

using platform::TextCheck;
using platform::TextInputStream;

std::string bytes(const char* data, std::size_t size) { return std::string(data, size); }

struct Judged {
    const char* name;
    std::string raw;
    bool text;
};

const std::vector<Judged>& judgedCases() {
    static const std::vector<Judged> cases = {
        {"empty", "", true},
        {"plain lines", "ab \"q\"\r\nc\n", true},
        {"high bytes and lone CRs", "\x80\xff\r\xfe", true},
        {"NUL first", bytes("\0abc", 4), false},
        {"NUL inside", bytes("ab\0cd", 5), false},
        {"NUL last", bytes("abc\0", 4), false},
        {"NUL alone", bytes("\0", 1), false},
        {"0x1A last", "abc\x1a", true},
        {"0x1A alone", "\x1a", true},
        {"0x1A then a byte", "abc\x1a" "d", false},
        {"0x1A then CR LF", "abc\x1a\r\n", false},
        {"0x1A twice", "abc\x1a\x1a", false},
        {"NUL before 0x1A", bytes("a\0\x1a", 3), false},
        {"NUL after 0x1A", bytes("a\x1a\0", 3), false},
        {"UTF-16 LE with NULs and 0x1A", bytes("\xff\xfe" "a\0\x1a\x04" "b\0", 8), true},
        {"UTF-16 BE with NULs", bytes("\xfe\xff\0a\0b", 6), true},
        {"UTF-16 mark alone", "\xff\xfe", true},
        {"FF alone", "\xff", true},
        {"FF FF then NUL: no mark", bytes("\xff\xff\0", 3), false},
        {"FE then NUL: no mark", bytes("\xfe\0", 2), false},
        {"FF then 0x1A then a byte", "\xff\x1a" "a", false},
        {"UTF-16 mark not at the start", bytes("a\xff\xfe\0", 4), false},
        {"UTF-8 mark then NUL", bytes("\xef\xbb\xbf" "a\0", 5), false},
    };
    return cases;
}

// The verdict does not depend on how the bytes are cut into pieces.
TEST(TextCheckTest, JudgesTheBytesWhateverThePieces) {
    for (const Judged& c : judgedCases()) {
        for (std::size_t piece : {std::size_t(0), std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(5)}) {
            TextCheck check;
            check.start();
            const std::size_t step = piece == 0 ? c.raw.size() : piece;
            bool going = true;
            for (std::size_t at = 0; at < c.raw.size(); at += step) {
                const std::size_t count = std::min(step, c.raw.size() - at);
                const bool result = check.look(c.raw.data() + at, count);
                // Once false, it stays false.
                if (!going) {
                    EXPECT_FALSE(result) << c.name;
                }
                going = result;
            }
            check.look("", 0);
            EXPECT_EQ(check.isText(), c.text) << c.name << ", pieces of " << piece;
            EXPECT_EQ(going, c.text) << c.name << ", pieces of " << piece;
        }
    }
}

TEST(TextCheckTest, AwaitsTheEndOnlyAfterAFinal0x1A) {
    TextCheck check;
    check.start();
    EXPECT_TRUE(check.look("ab", 2));
    EXPECT_FALSE(check.awaitsEnd());
    EXPECT_TRUE(check.look("c\x1a", 2));
    EXPECT_TRUE(check.awaitsEnd());
    EXPECT_FALSE(check.look("\n", 1));
    EXPECT_FALSE(check.awaitsEnd());
    EXPECT_FALSE(check.isText());
    // A new file starts afresh.
    check.start();
    EXPECT_TRUE(check.isText());
    EXPECT_TRUE(check.look("x", 1));
}

std::string readAll(TextInputStream& stream) {
    std::string text;
    for (int c; (c = stream.getByte()) != TextInputStream::kEnd;) text += static_cast<char>(c);
    return text;
}

// Through the stream, over files longer than one read (64 KiB), attached
// as a plain file of known size and as a descriptor of unknown size.
TEST(TextCheckTest, TheStreamStopsAtTheBlockThatIsNotText) {
    const std::size_t block = 1 << 16;
    auto with = [](std::string raw, std::size_t at, char byte) {
        raw[at] = byte;
        return raw;
    };
    const std::string three(3 * block, 'x');
    const std::string one(block, 'x');
    struct Case {
        const char* name;
        std::string raw;
        bool text;
        std::size_t delivered;  // raw bytes delivered when not text
    };
    const std::vector<Case> cases = {
        {"empty", "", true, 0},
        {"three blocks of text", three, true, 0},
        {"NUL first", with(three, 0, '\0'), false, 0},
        {"NUL in the first block", with(three, block / 2, '\0'), false, 0},
        {"NUL last of the first block", with(three, block - 1, '\0'), false, 0},
        {"NUL first of the second block", with(three, block, '\0'), false, block},
        {"NUL last of the file", with(three, 3 * block - 1, '\0'), false, 2 * block},
        {"0x1A ends the first block and the file", with(one, block - 1, '\x1a'), true, 0},
        {"0x1A ends the first block, a byte after", with(one, block - 1, '\x1a') + "y", false, 0},
        {"0x1A ends the first block, CR LF after", with(one, block - 1, '\x1a') + "\r\n", false, 0},
        {"0x1A starts the second block and ends the file", one + "\x1a", true, 0},
        {"0x1A starts the second block, a byte after", one + "\x1a" "y", false, block},
        {"0x1A then nothing", "ab\r\n\x1a", true, 0},
        {"0x1A then bytes", "ab\x1a" "cd", false, 0},
        {"UTF-16 with NULs across blocks", "\xff\xfe" + with(with(three, block, '\0'), 7, '\0'), true, 0},
    };
    for (bool sizeKnown : {true, false}) {
        for (const Case& c : cases) {
            const std::string name = std::string(c.name) + (sizeKnown ? ", size known" : ", size unknown");
            int fd = temporaryFileWith(c.raw);
            ASSERT_GE(fd, 0);
            auto stream = std::make_unique<TextInputStream>(fd);
            stream->attach(fd, sizeKnown, sizeKnown ? static_cast<std::int64_t>(c.raw.size()) : -1);
            stream->requireText();
            const std::string got = readAll(*stream);
            EXPECT_EQ(stream->isText(), c.text) << name;
            EXPECT_TRUE(stream->atEnd()) << name;
            EXPECT_FALSE(stream->hasError()) << name;
            // The end stays the end, for bytes and for runs.
            char* run = nullptr;
            EXPECT_EQ(stream->textRun(run), 0u) << name;
            EXPECT_EQ(stream->getByte(), TextInputStream::kEnd) << name;
            const std::string expected = textModeDecode(c.text ? c.raw : c.raw.substr(0, c.delivered));
            EXPECT_TRUE(got == expected) << name << ": " << got.size() << " bytes, not " << expected.size();

            // Unasked, the stream judges nothing and delivers the text as
            // before.
            ASSERT_TRUE(seekTo(fd, 0));
            stream->attach(fd, sizeKnown, sizeKnown ? static_cast<std::int64_t>(c.raw.size()) : -1);
            EXPECT_TRUE(readAll(*stream) == textModeDecode(c.raw)) << name;
            EXPECT_TRUE(stream->isText()) << name;
            platform::closeDescriptor(fd);
        }
    }
}

// Nothing is read after the block that holds a NUL: the writer of a pipe
// that keeps it open is not waited for.
TEST(TextCheckTest, NothingIsReadAfterTheBlockHoldingANul) {
    int ends[2];
    ASSERT_TRUE(makePipe(ends));
    const std::string first("text\0more", 9);
    ASSERT_TRUE(platform::writeAll(ends[1], first.data(), first.size()));
    auto stream = std::make_unique<TextInputStream>(ends[0]);
    stream->attach(ends[0], false);
    stream->requireText();
    std::future<std::string> read = std::async(std::launch::async, [&] { return readAll(*stream); });
    const bool ended = read.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    platform::closeDescriptor(ends[1]);
    EXPECT_TRUE(ended);
    EXPECT_EQ(read.get(), "");
    EXPECT_FALSE(stream->isText());
    platform::closeDescriptor(ends[0]);
}

}  // namespace
