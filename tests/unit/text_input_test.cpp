// The text-mode input stream beneath the scanner: line-end conversion,
// Ctrl-Z, pairs split between two reads, read errors, reset, inputs larger
// than its buffer, the runs it hands out whole, and the UTF-8 byte-order
// mark.
#include "platform/text_input.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/descriptors.h"
#include "platform/process.h"
#include "support/scratch_files.h"

#if !defined(_WIN32)
#include <fcntl.h>
#endif
#include "support/text_model.h"

namespace {

using platform::TextInputStream;

// A temporary file holding `content`, opened for reading and gone when
// closed.
int fileWith(const std::string& content) { return temporaryFileWith(content); }

// Every byte up to the end; each must lie in 0..255.
std::string readAll(TextInputStream& stream) {
    std::string bytes;
    for (;;) {
        int c = stream.getByte();
        if (c == TextInputStream::kEnd) return bytes;
        EXPECT_GE(c, 0);
        EXPECT_LE(c, 255);
        bytes += static_cast<char>(c);
    }
}

TEST(TextInputStreamTest, ConvertsLikeTextMode) {
    struct Case {
        const char* name;
        std::string raw;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"empty", "", ""},
        {"plain text", "abc\n", "abc\n"},
        {"CR LF becomes LF", "a\r\nb\r\n", "a\nb\n"},
        {"lone CR unchanged", "a\rb", "a\rb"},
        {"CR at the very end", "ab\r", "ab\r"},
        {"CR alone", "\r", "\r"},
        {"CR CR LF", "a\r\r\nb", "a\r\nb"},
        {"LF CR", "\n\r", "\n\r"},
        {"CR LF only", "\r\n\r\n", "\n\n"},
        {"Ctrl-Z ends the input", "ab\x1a" "cd\r\n", "ab"},
        {"Ctrl-Z first", "\x1a" "abc", ""},
        {"CR before Ctrl-Z", "a\r\x1a\n", "a\r"},
        {"NUL bytes", std::string("a\0\0b", 4), std::string("a\0\0b", 4)},
        {"high bytes", "\xff\x80\xfe", "\xff\x80\xfe"},
    };
    for (const Case& c : cases) {
        int fd = fileWith(c.raw);
        ASSERT_GE(fd, 0);
        auto stream = std::make_unique<TextInputStream>(fd);
        EXPECT_EQ(stream->descriptor(), fd);
        EXPECT_EQ(readAll(*stream), c.expected) << c.name;
        EXPECT_TRUE(stream->atEnd()) << c.name;
        EXPECT_FALSE(stream->hasError()) << c.name;
        // The end stays the end.
        EXPECT_EQ(stream->getByte(), TextInputStream::kEnd) << c.name;
        platform::closeDescriptor(fd);
    }
}

TEST(TextInputStreamTest, CtrlZEndsTheInputUntilReset) {
    int fd = fileWith("ab\x1a" "cd");
    ASSERT_GE(fd, 0);
    auto stream = std::make_unique<TextInputStream>(fd);
    EXPECT_EQ(readAll(*stream), "ab");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(stream->getByte(), TextInputStream::kEnd);
    EXPECT_TRUE(stream->atEnd());
    // After the reset the stream reads the descriptor again, from where
    // the descriptor now stands.
    seekTo(fd, 3);
    stream->reset();
    EXPECT_FALSE(stream->atEnd());
    EXPECT_EQ(readAll(*stream), "cd");
    platform::closeDescriptor(fd);
}

TEST(TextInputStreamTest, ResetDropsBufferedBytesAndIndicators) {
    int fd = fileWith("abcdef");
    ASSERT_GE(fd, 0);
    auto stream = std::make_unique<TextInputStream>(fd);
    EXPECT_EQ(stream->getByte(), 'a');  // the whole file is buffered now
    seekTo(fd, 3);
    stream->reset();
    EXPECT_EQ(stream->getByte(), 'd');
    EXPECT_EQ(readAll(*stream), "ef");
    EXPECT_TRUE(stream->atEnd());
    seekTo(fd, 0);
    stream->reset();
    EXPECT_FALSE(stream->atEnd());
    EXPECT_EQ(readAll(*stream), "abcdef");
    platform::closeDescriptor(fd);
}

TEST(TextInputStreamTest, ReadErrorSetsTheErrorIndicator) {
    // A descriptor that is not open must fail the read, not end the process.
    platform::initProcess();
    std::vector<int> unreadable;
#if !defined(_WIN32)
    int directory = open("/", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(directory, 0);
    unreadable.push_back(directory);
#endif
    int ends[2];
    ASSERT_TRUE(makePipe(ends));
    unreadable.push_back(ends[1]);  // the writing end
    for (int descriptor : unreadable) {
        auto stream = std::make_unique<TextInputStream>(descriptor);
        EXPECT_EQ(stream->getByte(), TextInputStream::kEnd);
        EXPECT_TRUE(stream->hasError());
        EXPECT_FALSE(stream->atEnd());
        EXPECT_EQ(stream->getByte(), TextInputStream::kEnd);
        EXPECT_TRUE(stream->hasError());
        stream->reset();
        EXPECT_FALSE(stream->hasError());
        EXPECT_FALSE(stream->atEnd());
        platform::closeDescriptor(descriptor);
    }
    platform::closeDescriptor(ends[0]);

    // A descriptor that is not open at all.
    auto closed = std::make_unique<TextInputStream>(-1);
    EXPECT_EQ(closed->getByte(), TextInputStream::kEnd);
    EXPECT_TRUE(closed->hasError());
}

// The raw bytes arrive in two writes on a pipe; the second is written only
// after the reader has taken `takenFirst` bytes, so the first read holds
// exactly the first part.
TEST(TextInputStreamTest, PairSplitBetweenTwoReads) {
    struct Case {
        const char* name;
        std::string first;
        std::size_t takenFirst;
        std::string second;  // empty: the writer closes the pipe instead
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"CR then LF", "a\r", 1, "\nb", "a\nb"},
        {"CR then a letter", "a\r", 1, "b", "a\rb"},
        {"CR then CR LF", "a\r", 1, "\r\nb", "a\r\nb"},
        {"CR then Ctrl-Z", "a\r", 1, "\x1a\n", "a\r"},
        {"CR then the end", "a\r", 1, "", "a\r"},
        {"CR LF then CR LF", "a\r\nb\r", 2, "\n", "a\nb\n"},
    };
    for (const Case& c : cases) {
        int ends[2];
        ASSERT_TRUE(makePipe(ends));
        std::promise<void> taken;
        std::future<void> goOn = taken.get_future();
        bool wroteAll = false;
        ASSERT_TRUE(platform::writeAll(ends[1], c.first.data(), c.first.size()));
        std::thread writer([&] {
            goOn.wait();
            wroteAll = c.second.empty() || platform::writeAll(ends[1], c.second.data(), c.second.size());
            platform::closeDescriptor(ends[1]);
        });
        auto stream = std::make_unique<TextInputStream>(ends[0]);
        std::string got;
        for (std::size_t i = 0; i < c.takenFirst; ++i) got += static_cast<char>(stream->getByte());
        taken.set_value();
        got += readAll(*stream);
        writer.join();
        EXPECT_TRUE(wroteAll) << c.name;
        EXPECT_EQ(got, c.expected) << c.name;
        EXPECT_FALSE(stream->hasError()) << c.name;
        platform::closeDescriptor(ends[0]);
    }
}

TEST(TextInputStreamTest, InputsLargerThanTheBuffer) {
    const std::size_t block = 1 << 16;
    std::mt19937 random(4242);
    const std::string alphabet("ab\r\n\0\xff", 6);
    auto generate = [&](std::size_t length) {
        std::string raw;
        for (std::size_t i = 0; i < length; ++i) raw += alphabet[random() % alphabet.size()];
        return raw;
    };
    struct Case {
        const char* name;
        std::string raw;
    };
    std::vector<Case> cases;
    cases.push_back({"one block exactly", std::string(block, 'x')});
    cases.push_back({"one byte more than a block", std::string(block, 'x') + "y"});
    std::string straddle = generate(3 * block + 17);
    // CR LF pairs across the first read, and across the second, which
    // starts with the CR kept from the first.
    straddle[block - 1] = '\r';
    straddle[block] = '\n';
    straddle[2 * block - 2] = '\r';
    straddle[2 * block - 1] = '\n';
    cases.push_back({"pairs across block ends", straddle});
    std::string lastIsCr = std::string(block - 1, 'x') + "\r";
    cases.push_back({"CR last of a block and of the input", lastIsCr});
    std::string crThenLetter = std::string(block - 1, 'x') + "\rz";
    cases.push_back({"CR last of a block, letter next", crThenLetter});
    std::string ctrlZLate = generate(200000);
    ctrlZLate[150000] = '\x1a';
    cases.push_back({"Ctrl-Z far in", ctrlZLate});

    for (const Case& c : cases) {
        int fd = fileWith(c.raw);
        ASSERT_GE(fd, 0);
        auto stream = std::make_unique<TextInputStream>(fd);
        std::string got = readAll(*stream);
        EXPECT_EQ(got.size(), textModeDecode(c.raw).size()) << c.name;
        EXPECT_TRUE(got == textModeDecode(c.raw)) << c.name;
        EXPECT_TRUE(stream->atEnd()) << c.name;
        platform::closeDescriptor(fd);
    }
}

// Whatever textRun() delivers, its pairs read as line feeds, followed by
// what getByte() delivers whenever no run is there, is the text-mode
// reading of the bytes: so no run ends between the two bytes of a pair,
// and none holds a 0x1A or what follows it.
std::string readByRuns(TextInputStream& stream, std::size_t& runs) {
    std::string text;
    runs = 0;
    for (;;) {
        char* data = nullptr;
        if (std::size_t length = stream.textRun(data)) {
            ++runs;
            for (std::size_t i = 0; i < length; ++i) {
                EXPECT_NE(data[i], '\x1a');
                if (data[i] == '\r' && i + 1 < length && data[i + 1] == '\n') continue;
                text += data[i];
            }
            // Half of a run taken, then the rest: take() counts bytes of it.
            stream.take(length / 2);
            if (length / 2 != 0 && data[length / 2 - 1] == '\r' && data[length / 2] == '\n') stream.take(1);
            char* rest = nullptr;
            std::size_t left = stream.textRun(rest);
            EXPECT_EQ(rest, data + length - left);
            stream.take(left);
            continue;
        }
        int c = stream.getByte();
        if (c == TextInputStream::kEnd) return text;
        text += static_cast<char>(c);
    }
}

// A plain file attached with the size its stat gave: the size decides
// where a short read ends the file, but a wrong size never loses a byte
// that was there when the file was opened.
TEST(TextInputStreamTest, TheSizeOfAPlainFileEndsItOnlyWhenItFits) {
    const std::size_t block = 1 << 16;
    const std::string small = "ab\r\ncd\n";
    const std::string large = std::string(block + 100, 'x') + "\r\n";
    struct Case {
        const char* name;
        std::string raw;
        std::int64_t size;
    };
    const std::vector<Case> cases = {
        {"exact, one read", small, static_cast<std::int64_t>(small.size())},
        {"exact, two reads", large, static_cast<std::int64_t>(large.size())},
        {"smaller: the file grew", small, 3},
        {"larger: the file shrank", small, 100},
        {"zero, as some system files say", small, 0},
        {"unknown", large, -1},
        {"the first block's size", large, static_cast<std::int64_t>(block)},
    };
    for (const Case& c : cases) {
        int fd = fileWith(c.raw);
        ASSERT_GE(fd, 0);
        auto stream = std::make_unique<TextInputStream>(fd);
        stream->attach(fd, true, c.size);
        EXPECT_EQ(readAll(*stream), textModeDecode(c.raw)) << c.name;
        EXPECT_TRUE(stream->atEnd()) << c.name;
        platform::closeDescriptor(fd);
    }
}

TEST(TextInputStreamTest, RunsKeepPairsWholeAndStopAtCtrlZ) {
    const std::size_t block = 1 << 16;
    std::mt19937 random(99);
    const std::string alphabet("ab\r\n\r\n\0", 7);
    struct Case {
        const char* name;
        std::string raw;
    };
    std::vector<Case> cases = {
        {"empty", ""},
        {"pairs and a lone CR", "a\r\nb\rc\r\n"},
        {"CR last of the input", "ab\r"},
        {"CR before Ctrl-Z", "ab\r\x1a\r\n"},
        {"Ctrl-Z first", "\x1a" "ab"},
    };
    for (std::size_t at : {block - 2, block - 1, block, block + 1}) {
        std::string raw;
        for (std::size_t i = 0; i < 2 * block + 50; ++i) raw += alphabet[random() % alphabet.size()];
        raw.replace(at, 2, "\r\n");
        cases.push_back({"pair around a block end", raw});
        std::string lone = raw;
        lone.replace(at, 2, "\rz");
        cases.push_back({"lone CR around a block end", lone});
    }
    for (const Case& c : cases) {
        int fd = fileWith(c.raw);
        ASSERT_GE(fd, 0);
        auto stream = std::make_unique<TextInputStream>(fd);
        std::size_t runs = 0;
        EXPECT_TRUE(readByRuns(*stream, runs) == textModeDecode(c.raw)) << c.name;
        if (c.raw.size() > 100) {
            EXPECT_GE(runs, 2u) << c.name;
        }
        EXPECT_TRUE(stream->atEnd()) << c.name;
        platform::closeDescriptor(fd);
    }
}

const char kMark[] = "\xEF\xBB\xBF";

TEST(TextInputStreamTest, ByteOrderMarkAtTheStartIsConsumed) {
    struct Case {
        const char* name;
        std::string raw;
        bool marked;
        std::string rest;  // what getByte delivers afterwards
    };
    const std::string mark = kMark;
    const std::vector<Case> cases = {
        {"empty input", "", false, ""},
        {"the mark alone", mark, true, ""},
        {"mark and text", mark + "ab\r\ncd", true, "ab\ncd"},
        {"mark and CR LF", mark + "\r\n", true, "\n"},
        {"mark and lone CR", mark + "\rx", true, "\rx"},
        {"mark and Ctrl-Z", mark + "\x1a" "ab", true, ""},
        {"a second mark is text", mark + mark, true, mark},
        {"two bytes of a mark", "\xEF\xBB", false, "\xEF\xBB"},
        {"a mark's start, then text", "\xEF\xBBx\r\n", false, "\xEF\xBBx\n"},
        {"a mark not at the start", "a" + mark, false, "a" + mark},
        {"Ctrl-Z inside the first three bytes", "\xEF\x1a\xBB\xBF", false, "\xEF"},
        {"CR LF first", "\r\n" + mark, false, "\n" + mark},
    };
    for (const Case& c : cases) {
        int fd = fileWith(c.raw);
        ASSERT_GE(fd, 0);
        auto stream = std::make_unique<TextInputStream>(fd);
        EXPECT_EQ(stream->skipByteOrderMark() == platform::ByteOrderMarkKind::Utf8, c.marked) << c.name;
        EXPECT_EQ(readAll(*stream), c.rest) << c.name;
        EXPECT_TRUE(stream->atEnd()) << c.name;
        EXPECT_FALSE(stream->hasError()) << c.name;
        platform::closeDescriptor(fd);
    }
}

// A pipe may deliver the mark in pieces: the stream reads until it holds
// three bytes or the input ends.
TEST(TextInputStreamTest, ByteOrderMarkSplitBetweenReads) {
    struct Case {
        const char* name;
        std::string first;
        std::string second;
        bool marked;
        std::string rest;
    };
    const std::vector<Case> cases = {
        {"one byte, then the rest", "\xEF", "\xBB\xBF" "ab", true, "ab"},
        {"two bytes, then the rest", "\xEF\xBB", "\xBF\r\n", true, "\n"},
        {"two bytes, then other text", "\xEF\xBB", "xy", false, "\xEF\xBBxy"},
        {"two bytes, then the end", "\xEF\xBB", "", false, "\xEF\xBB"},
    };
    for (const Case& c : cases) {
        int ends[2];
        ASSERT_TRUE(makePipe(ends));
        ASSERT_TRUE(platform::writeAll(ends[1], c.first.data(), c.first.size()));
        bool wroteAll = false;
        std::thread writer([&] {
            // The reader most likely takes the first part alone meanwhile.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            wroteAll = c.second.empty() || platform::writeAll(ends[1], c.second.data(), c.second.size());
            platform::closeDescriptor(ends[1]);
        });
        auto stream = std::make_unique<TextInputStream>(ends[0]);
        bool marked = stream->skipByteOrderMark() == platform::ByteOrderMarkKind::Utf8;
        std::string rest = readAll(*stream);
        writer.join();
        EXPECT_TRUE(wroteAll) << c.name;
        EXPECT_EQ(marked, c.marked) << c.name;
        EXPECT_EQ(rest, c.rest) << c.name;
        platform::closeDescriptor(ends[0]);
    }
}

}  // namespace

namespace {

// After a UTF-16 mark the characters arrive as UTF-8, with the text-mode
// rules on the characters; a pipe may cut the mark, a character or a pair
// of surrogates between two reads.
TEST(TextInputStreamTest, Utf16TextArrivesAsUtf8) {
    struct Case {
        const char* name;
        std::string first;
        std::string second;  // written after a pause, "" for none
        platform::ByteOrderMarkKind kind;
        std::string delivered;
    };
    using K = platform::ByteOrderMarkKind;
    const std::string le = "\xFF\xFE";
    const std::string be = "\xFE\xFF";
    const std::vector<Case> cases = {
        {"the mark alone", le, "", K::Utf16LittleEndian, ""},
        {"little-endian text, CR LF one line feed", le + std::string("a\0\r\0\n\0\r\0b\0", 10), "",
         K::Utf16LittleEndian, "a\n\rb"},
        {"big-endian text, Ctrl-Z ends it", be + std::string("\0a\0\x1a\0b", 6), "", K::Utf16BigEndian, "a"},
        {"characters outside ASCII", le + std::string("\xE9\0\x1C\x20=\xD8\0\xDE", 8), "", K::Utf16LittleEndian,
         "\xC3\xA9\xE2\x80\x9C\xF0\x9F\x98\x80"},
        {"surrogate halves alone", le + std::string("\0\xDC" "a\0=\xD8", 6), "", K::Utf16LittleEndian,
         "\xED\xB0\x80" "a\xED\xA0\xBD"},
        {"an odd last byte", le + "a", "", K::Utf16LittleEndian, "\xEF\xBF\xBD"},
        {"the mark cut", "\xFF", std::string("\xFE" "a\0", 3), K::Utf16LittleEndian, "a"},
        {"a character cut", le + "a", std::string("\0b\0", 3), K::Utf16LittleEndian, "ab"},
        {"a pair cut", le + "=\xD8", std::string("\0\xDE", 2), K::Utf16LittleEndian, "\xF0\x9F\x98\x80"},
        {"CR and LF in two reads", le + std::string("\r\0", 2), std::string("\n\0", 2), K::Utf16LittleEndian, "\n"},
        {"a mark's bytes the other way round are text", "\xFF\xFF", "", K::None, "\xFF\xFF"},
    };
    for (const Case& c : cases) {
        int ends[2];
        ASSERT_TRUE(makePipe(ends));
        ASSERT_TRUE(platform::writeAll(ends[1], c.first.data(), c.first.size()));
        std::thread writer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(c.second.empty() ? 0 : 20));
            if (!c.second.empty()) platform::writeAll(ends[1], c.second.data(), c.second.size());
            platform::closeDescriptor(ends[1]);
        });
        auto stream = std::make_unique<TextInputStream>(ends[0]);
        EXPECT_EQ(stream->skipByteOrderMark(), c.kind) << c.name;
        EXPECT_EQ(stream->readsUtf16(), c.kind != K::None) << c.name;
        EXPECT_EQ(readAll(*stream), c.delivered) << c.name;
        writer.join();
        platform::closeDescriptor(ends[0]);
        stream->reset();
        EXPECT_FALSE(stream->readsUtf16()) << c.name;
    }
}

// A file larger than the buffer: every character arrives once, in order,
// through runs as through single bytes.
TEST(TextInputStreamTest, Utf16FileLargerThanTheBuffer) {
    std::string raw = "\xFF\xFE";
    std::string expected;
    for (int i = 0; i < 70000; ++i) {
        const unsigned unit = i % 7 == 0 ? 0x20AC : i % 11 == 0 ? '\n' : 'a' + i % 26;
        raw += static_cast<char>(unit & 0xFF);
        raw += static_cast<char>(unit >> 8);
        expected += unit == 0x20AC ? std::string("\xE2\x82\xAC") : std::string(1, static_cast<char>(unit));
    }
    int fd = fileWith(raw);
    ASSERT_GE(fd, 0);
    auto stream = std::make_unique<TextInputStream>(fd);
    ASSERT_EQ(stream->skipByteOrderMark(), platform::ByteOrderMarkKind::Utf16LittleEndian);
    std::string delivered;
    char* run;
    for (;;) {
        if (std::size_t length = stream->textRun(run)) {
            delivered.append(run, length);
            stream->take(length);
            continue;
        }
        int c = stream->getByte();
        if (c == TextInputStream::kEnd) break;
        delivered += static_cast<char>(c);
    }
    EXPECT_EQ(delivered, expected);
    platform::closeDescriptor(fd);
}

}  // namespace
