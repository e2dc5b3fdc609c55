// The scanner's input buffers: the refill that reads standard input one
// byte at a time (a line at a time from a terminal), the growth of the
// storage under a partial match, the memory-buffer services, buffer
// switching, and the fatal errors of the input path.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "parser/convert_input.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "scanner/engine.h"
#include "scanner/line_history.h"
#include "scanner/line_state.h"
#include "scanner/refill.h"
#include "scanner/scan_buffer.h"
#include "scanner/tables.h"
#include "support/capture.h"
#include "support/convert.h"
#include "support/text_model.h"

namespace {

using Lines = std::vector<std::pair<std::int64_t, std::string>>;

// Places the scanner as the engine does when a match that began at `from`
// has run one past the end mark of the characters held, then refills.
int refillFrom(char* from) {
    match_start = from;
    scan_pos = current_buffer->storage + scan_count + 1;
    return yy_refill();
}

// The refill the engine makes after matching every character held.
int refillNext() { return refillFrom(current_buffer->storage + scan_count); }

// The stream buffer over standard input, as the engine's first call leaves
// it once matching has reached the end mark.
void openStandardInputBuffer() {
    yy_restart_input(&platform::standardInput());
    current_buffer->status = SCAN_NORMAL;
}

// The lines the history holds, oldest first.
Lines recordedLines() {
    Lines lines;
    auto add = [&lines](int i) { lines.emplace_back(histEntries[i].line, histEntries[i].text); };
    if (!histFilling) {
        for (int i = histPos; i < nbl; ++i) add(i);
    }
    for (int i = 0; i < histPos; ++i) add(i);
    return lines;
}

std::string pattern(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

// A pseudo-terminal pair; the slave side stands for a console.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        const char* name = ptsname(master_);
        if (name != nullptr) slave_ = open(name, O_RDWR | O_NOCTTY);
    }
    ~PseudoTerminal() {
        if (slave_ >= 0) close(slave_);
        if (master_ >= 0) close(master_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return master_ >= 0 && slave_ >= 0; }
    int master() const { return master_; }
    int slave() const { return slave_; }
    bool type(const std::string& text) const {
        return write(master_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }

private:
    int master_ = -1;
    int slave_ = -1;
};

// Every test starts from the scanner state of a fresh program with an
// empty history of the default size, and leaves it so.
class ScanBufferTest : public testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override {
        clean();
        releaseLineHistory();
    }
    static void clean() {
        platform::standardOutput().flush();
        resetScanState();
        resetLineHistory();
    }
};

class RefillTest : public ScanBufferTest {};
class ScanBufferDeathTest : public ScanBufferTest {};

// ---------------------------------------------------------------------
// Refill from an ordinary file: one byte per call.

TEST_F(RefillTest, ReadsOneBytePerCallAndKeepsTheLine) {
    struct Case {
        const char* name;
        std::string input;
        std::string delivered;  // what the scanner receives, byte by byte
        Lines recorded;
        std::int64_t lineAfter;
        std::string curLineAfter;
    };
    const std::vector<Case> cases = {
        {"empty input", "", "", {}, 1, ""},
        {"a letter and a line feed", "a\n", "a\n", {{1, "a"}}, 2, ""},
        {"last line without a line feed", "ab\ncd", "ab\ncd", {{1, "ab"}}, 2, "cd"},
        {"line feeds only", "\n\n", "\n\n", {{1, ""}, {2, ""}}, 3, ""},
        {"CR LF and a lone CR", "a\r\nb\rc\n", "a\nb\rc\n", {{1, "a"}, {2, "b\rc"}}, 3, ""},
        {"CR CR LF", "a\r\r\n", "a\r\n", {{1, "a\r"}}, 2, ""},
        {"NUL bytes", std::string("a\0b\n\0", 5), std::string("a\0b\n\0", 5), {{1, "ab"}}, 2, ""},
        {"Ctrl-Z ends the input", "ab\n\x1a" "cd\n", "ab\n", {{1, "ab"}}, 2, ""},
        {"high bytes", "\xff\x80\n\xe9", "\xff\x80\n\xe9", {{1, "\xff\x80"}}, 2, "\xe9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clean();
        withStdin(c.input, [&] {
            openStandardInputBuffer();
            std::string delivered;
            int result;
            while ((result = refillNext()) == REFILL_CONTINUE) {
                ASSERT_LT(delivered.size(), c.input.size());
                ASSERT_EQ(scan_count, 1);
                EXPECT_EQ(match_start, current_buffer->storage);
                EXPECT_EQ(current_buffer->storage[1], '\0');
                EXPECT_EQ(current_buffer->storage[2], '\0');
                delivered += current_buffer->storage[0];
            }
            EXPECT_EQ(result, REFILL_END);
            EXPECT_EQ(delivered, c.delivered);
            EXPECT_EQ(recordedLines(), c.recorded);
            EXPECT_EQ(noLng, c.lineAfter);
            EXPECT_EQ(std::string(curLine), c.curLineAfter);
            EXPECT_EQ(curLineLength, static_cast<int>(c.curLineAfter.size()));
            // The end of input resets the buffer for the next file.
            EXPECT_EQ(current_buffer->status, SCAN_NEW);
            EXPECT_EQ(scan_count, 0);
            EXPECT_EQ(current_buffer->storage[0], '\0');
            EXPECT_EQ(match_start, current_buffer->storage);
        });
    }
}

TEST_F(RefillTest, EmptyInputRecordsNothing) {
    withStdin("", [] {
        openStandardInputBuffer();
        ScanBuffer* buffer = current_buffer;
        EXPECT_EQ(buffer->size, static_cast<unsigned>(kDefaultBufferSize));
        EXPECT_EQ(refillNext(), REFILL_END);
        EXPECT_EQ(current_buffer, buffer);
        EXPECT_EQ(current_buffer->status, SCAN_NEW);
        EXPECT_EQ(current_buffer->input_stream, &platform::standardInput());
        EXPECT_EQ(noLng, 1);
        EXPECT_EQ(histPos, 0);
        EXPECT_EQ(histFilling, 1);
        EXPECT_EQ(histEntries[0].line, 0);
    });
}

TEST_F(RefillTest, LongLineKeepsItsFirst4999CharactersInCurLine) {
    const std::string line = pattern(6000);
    withStdin(line + "\ntail", [&] {
        openStandardInputBuffer();
        std::string delivered;
        while (delivered.size() < line.size() && refillNext() == REFILL_CONTINUE) delivered += current_buffer->storage[0];
        EXPECT_EQ(delivered, line);
        EXPECT_EQ(curLineLength, kCurLineSize - 1);
        EXPECT_EQ(std::string(curLine), line.substr(0, 4999));
        // The line feed hands the cut text to the history.
        ASSERT_EQ(refillNext(), REFILL_CONTINUE);
        EXPECT_EQ(current_buffer->storage[0], '\n');
        ASSERT_EQ(recordedLines().size(), 1u);
        EXPECT_EQ(recordedLines()[0].first, 1);
        EXPECT_EQ(recordedLines()[0].second, line.substr(0, 4999));
        EXPECT_EQ(curLineLength, 0);
    });
}

TEST_F(RefillTest, LongLineReachesTheOutputWhole) {
    const std::string line = pattern(6000);
    EXPECT_EQ(convertStream(line), crlf("\t= \"" + line + "\"\n"));
    EXPECT_EQ(curLineLength, kCurLineSize - 1);
    EXPECT_EQ(std::string(curLine), line.substr(0, 4999));
    // Every match is one byte, so nothing is ever kept and the storage
    // keeps its first size.
    ASSERT_NE(current_buffer, nullptr);
    EXPECT_EQ(current_buffer->size, static_cast<unsigned>(kDefaultBufferSize));
}

// ---------------------------------------------------------------------
// A partial match at the end of the characters held.

TEST_F(RefillTest, PartialMatchIsKeptAndTheStorageGrows) {
    struct Case {
        const char* name;
        int size;           // of the new buffer
        int held;           // characters in it when the match ran out
        int matchFrom;      // where that match began
        unsigned grownSize;
    };
    const std::vector<Case> cases = {
        {"room left, match not at the front", 8, 8, 2, 8},
        {"partial match leaves no room", 4, 3, 0, 8},
        {"partial match fills the storage", 4, 4, 0, 8},
        {"one character grows twice", 1, 1, 0, 4},
        {"empty storage", 0, 0, 0, 2},
        {"default size less two", kDefaultBufferSize, kDefaultBufferSize - 2, 0, 16384},
        {"default size less one", kDefaultBufferSize, kDefaultBufferSize - 1, 0, 32768},
        {"default size, match from the second", kDefaultBufferSize, kDefaultBufferSize, 1, 32768},
        {"doubled size less one", 32768, 32767, 0, 65536},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clean();
        withStdin("Z", [&] {
            ScanBuffer* buffer = yy_create_buffer(&platform::standardInput(), c.size);
            yy_use_buffer(buffer);
            const std::string held = pattern(static_cast<std::size_t>(c.held));
            std::memcpy(buffer->storage, held.data(), held.size());
            buffer->storage[c.held] = buffer->storage[c.held + 1] = '\0';
            scan_count = c.held;
            buffer->status = SCAN_NORMAL;
            const int keep = c.held - c.matchFrom;

            EXPECT_EQ(refillFrom(buffer->storage + c.matchFrom), REFILL_CONTINUE);
            ASSERT_EQ(current_buffer, buffer);
            EXPECT_EQ(buffer->size, c.grownSize);
            EXPECT_EQ(scan_count, keep + 1);
            EXPECT_EQ(match_start, buffer->storage);
            EXPECT_EQ(scan_pos, buffer->storage + c.held + 1);  // same offset in the new storage
            EXPECT_EQ(std::string(buffer->storage, static_cast<std::size_t>(keep)),
                      held.substr(static_cast<std::size_t>(c.matchFrom)));
            EXPECT_EQ(buffer->storage[keep], 'Z');
            EXPECT_EQ(buffer->storage[keep + 1], '\0');
            EXPECT_EQ(buffer->storage[keep + 2], '\0');
        });
    }
}

TEST_F(RefillTest, EndOfStreamInsidePartialMatch) {
    withStdin("Q", [] {
        ScanBuffer* buffer = yy_create_buffer(&platform::standardInput(), 16);
        yy_use_buffer(buffer);
        // The stream is at its end when the match of "abc" runs out.
        ASSERT_EQ(platform::standardInput().getByte(), 'Q');
        ASSERT_EQ(platform::standardInput().getByte(), platform::TextInputStream::kEnd);
        std::memcpy(buffer->storage, "abc\0", 5);
        scan_count = 3;
        buffer->status = SCAN_NORMAL;

        EXPECT_EQ(refillFrom(buffer->storage), REFILL_LAST_MATCH);
        EXPECT_EQ(buffer->status, SCAN_END_PENDING);
        EXPECT_EQ(scan_count, 3);
        EXPECT_EQ(std::string(buffer->storage, 5), std::string("abc\0\0", 5));

        // From now on nothing is read: the stream would deliver Q again.
        lseek(0, 0, SEEK_SET);
        platform::standardInput().reset();

        // "ab" matched; the match of "c" runs out again.
        EXPECT_EQ(refillFrom(buffer->storage + 2), REFILL_LAST_MATCH);
        EXPECT_EQ(buffer->status, SCAN_END_PENDING);
        EXPECT_EQ(scan_count, 1);
        EXPECT_EQ(std::string(buffer->storage, 3), std::string("c\0\0", 3));
        EXPECT_EQ(match_start, buffer->storage);

        // Everything matched: the input has ended.
        EXPECT_EQ(refillNext(), REFILL_END);
        EXPECT_EQ(current_buffer, buffer);
        EXPECT_EQ(buffer->status, SCAN_NEW);
        EXPECT_EQ(scan_count, 0);
        EXPECT_EQ(buffer->storage[0], '\0');
        EXPECT_EQ(platform::standardInput().getByte(), 'Q');
        EXPECT_EQ(noLng, 1);
    });
}

// ---------------------------------------------------------------------
// Memory buffers.

TEST_F(ScanBufferTest, ScanBufferRefusesBadBlocks) {
    struct Case {
        const char* name;
        std::string block;
        std::size_t offset;  // where the block handed over begins
        std::size_t size;
    };
    // The blocks of size 0 and 1 begin after a NUL, so that looking before
    // them finds two NULs too.
    const std::vector<Case> cases = {
        {"size 0", std::string("\0\0\0", 3), 2, 0},
        {"size 1", std::string("\0\0", 2), 1, 1},
        {"last byte not NUL", std::string("a\0x", 3), 0, 3},
        {"second last byte not NUL", std::string("ax\0", 3), 0, 3},
        {"no NUL at all", "abcd", 0, 4},
    };
    for (const Case& c : cases) {
        std::vector<char> block(c.block.begin(), c.block.end());
        EXPECT_EQ(yy_scan_buffer(block.data() + c.offset, c.size), nullptr) << c.name;
        EXPECT_EQ(current_buffer, nullptr) << c.name;
        EXPECT_EQ(std::string(block.begin(), block.end()), c.block) << c.name;
    }
}

TEST_F(ScanBufferTest, TwoNulBlockIsAnEmptyCurrentBuffer) {
    char block[2] = {'\0', '\0'};
    ScanBuffer* buffer = yy_scan_buffer(block, 2);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(current_buffer, buffer);
    EXPECT_EQ(buffer->storage, block);
    EXPECT_EQ(buffer->position, block);
    EXPECT_EQ(buffer->size, 0u);
    EXPECT_EQ(buffer->char_count, 0);
    EXPECT_EQ(buffer->owns_storage, 0);
    EXPECT_EQ(buffer->input_stream, nullptr);
    EXPECT_EQ(buffer->is_interactive, 0);
    EXPECT_EQ(buffer->may_refill, 0);
    EXPECT_EQ(buffer->at_line_start, 1);
    EXPECT_EQ(buffer->status, SCAN_NEW);
    EXPECT_EQ(scan_pos, block);
    EXPECT_EQ(scan_count, 0);
    EXPECT_EQ(refillFrom(block), REFILL_END);

    // Through the engine: the end of input at once, nothing written.
    match_start = scan_pos = block;
    int token = -1;
    EXPECT_EQ(captureStdout([&] { token = yy_next_token(); }), "");
    EXPECT_EQ(token, 0);
    yy_free_buffer(buffer);
    EXPECT_EQ(current_buffer, nullptr);
}

TEST_F(ScanBufferTest, ScanTextOfEmptyTextOwnsItsCopy) {
    const char* text = "";
    ScanBuffer* buffer = yy_scan_text(text);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(current_buffer, buffer);
    EXPECT_NE(buffer->storage, text);
    EXPECT_EQ(buffer->size, 0u);
    EXPECT_EQ(buffer->owns_storage, 1);
    EXPECT_EQ(buffer->may_refill, 0);
    EXPECT_EQ(refillFrom(buffer->storage), REFILL_END);
    // The copy goes with the buffer; the leak checker of the sanitizer
    // build reports it otherwise.
    yy_free_buffer(buffer);
    EXPECT_EQ(current_buffer, nullptr);
}

TEST_F(ScanBufferTest, ScanBytesCopiesTheBytes) {
    const std::string bytes("a\0\"c", 4);
    ScanBuffer* buffer = yy_scan_bytes(bytes.data(), 4);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(current_buffer, buffer);
    EXPECT_NE(buffer->storage, bytes.data());
    EXPECT_EQ(std::string(buffer->storage, 6), bytes + std::string("\0\0", 2));
    EXPECT_EQ(buffer->size, 4u);
    EXPECT_EQ(buffer->char_count, 4);
    EXPECT_EQ(scan_count, 4);
    EXPECT_EQ(held_char, 'a');
    EXPECT_EQ(buffer->owns_storage, 1);
    EXPECT_EQ(switched_at_end, 1);
    yy_free_buffer(buffer);
}

TEST_F(ScanBufferTest, ScanBytesRefusesNegativeLength) {
    // A null pointer: any access to it would crash.
    for (int length : {-1, -2, INT_MIN}) {
        EXPECT_EQ(yy_scan_bytes(nullptr, length), nullptr) << length;
        EXPECT_EQ(current_buffer, nullptr) << length;
    }
}

TEST_F(ScanBufferTest, MemoryBufferRefillMovesNothing) {
    struct Case {
        const char* name;
        int matchFrom;
        int result;
    };
    const std::vector<Case> cases = {
        {"nothing matched before the end mark", 3, REFILL_END},
        {"one character matched", 2, REFILL_LAST_MATCH},
        {"all characters matched", 0, REFILL_LAST_MATCH},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clean();
        ScanBuffer* buffer = yy_scan_text("abc");
        buffer->status = SCAN_NORMAL;
        EXPECT_EQ(refillFrom(buffer->storage + c.matchFrom), c.result);
        EXPECT_EQ(std::string(buffer->storage, 5), std::string("abc\0\0", 5));
        EXPECT_EQ(match_start, buffer->storage + c.matchFrom);
        EXPECT_EQ(scan_pos, buffer->storage + 4);
        EXPECT_EQ(scan_count, 3);
        EXPECT_EQ(buffer->status, SCAN_NORMAL);
        yy_free_buffer(buffer);
    }
}

TEST_F(ScanBufferTest, UseBufferSavesThePreviousBuffer) {
    ScanBuffer* first = yy_scan_text("abc");
    // The engine has matched "ab" and ended the text with a NUL.
    scan_pos = first->storage + 2;
    held_char = first->storage[2];
    first->storage[2] = '\0';
    switched_at_end = 0;

    ScanBuffer* second = yy_scan_text("xy");
    EXPECT_EQ(current_buffer, second);
    EXPECT_EQ(first->position, first->storage + 2);
    EXPECT_EQ(first->char_count, 3);
    EXPECT_EQ(first->storage[2], 'c');  // the held character put back
    EXPECT_EQ(scan_pos, second->storage);
    EXPECT_EQ(match_start, second->storage);
    EXPECT_EQ(scan_count, 2);
    EXPECT_EQ(held_char, 'x');
    EXPECT_EQ(switched_at_end, 1);

    scan_pos = second->storage + 1;
    held_char = 'y';
    scan_count = 2;
    switched_at_end = 0;
    yy_use_buffer(first);
    EXPECT_EQ(current_buffer, first);
    EXPECT_EQ(scan_pos, first->storage + 2);
    EXPECT_EQ(match_start, first->storage + 2);
    EXPECT_EQ(held_char, 'c');
    EXPECT_EQ(scan_count, 3);
    EXPECT_EQ(second->position, second->storage + 1);
    EXPECT_EQ(second->char_count, 2);
    EXPECT_EQ(switched_at_end, 1);

    // Switching to the current buffer changes nothing.
    switched_at_end = 0;
    scan_pos = first->storage + 1;
    yy_use_buffer(first);
    EXPECT_EQ(switched_at_end, 0);
    EXPECT_EQ(scan_pos, first->storage + 1);
    EXPECT_EQ(first->position, first->storage + 2);

    yy_free_buffer(second);
    EXPECT_EQ(current_buffer, first);
    yy_free_buffer(nullptr);
    EXPECT_EQ(current_buffer, first);
    yy_free_buffer(first);
    EXPECT_EQ(current_buffer, nullptr);
}

TEST_F(ScanBufferTest, ResetReloadsTheStateOfTheCurrentBufferOnly) {
    ScanBuffer* other = yy_scan_text("xyz");
    ScanBuffer* current = yy_scan_text("abc");
    scan_pos = match_start = current->storage + 2;
    held_char = 'c';
    current->storage[2] = '\0';

    // Another buffer: the scanner state stays as it is.
    yy_reset_buffer(other);
    EXPECT_EQ(other->char_count, 0);
    EXPECT_EQ(other->position, other->storage);
    EXPECT_EQ(other->storage[0], '\0');
    EXPECT_EQ(other->status, SCAN_NEW);
    EXPECT_EQ(scan_pos, current->storage + 2);
    EXPECT_EQ(scan_count, 3);
    EXPECT_EQ(held_char, 'c');

    current->status = SCAN_NORMAL;
    current->at_line_start = 0;
    yy_reset_buffer(current);
    EXPECT_EQ(current->char_count, 0);
    EXPECT_EQ(current->status, SCAN_NEW);
    EXPECT_EQ(current->at_line_start, 1);
    EXPECT_EQ(scan_pos, current->storage);
    EXPECT_EQ(match_start, current->storage);
    EXPECT_EQ(scan_count, 0);
    EXPECT_EQ(held_char, '\0');
    EXPECT_EQ(scan_in, nullptr);
    yy_free_buffer(other);
    yy_free_buffer(current);
}

TEST_F(ScanBufferTest, CreateBufferDoesNotMakeItCurrent) {
    withStdin("x", [] {
        ScanBuffer* buffer = yy_create_buffer(&platform::standardInput(), 32);
        EXPECT_EQ(current_buffer, nullptr);
        EXPECT_EQ(buffer->size, 32u);
        EXPECT_EQ(buffer->owns_storage, 1);
        EXPECT_EQ(buffer->may_refill, 1);
        EXPECT_EQ(buffer->is_interactive, 0);
        EXPECT_EQ(buffer->input_stream, &platform::standardInput());
        EXPECT_EQ(buffer->char_count, 0);
        EXPECT_EQ(buffer->position, buffer->storage);
        EXPECT_EQ(buffer->status, SCAN_NEW);
        EXPECT_EQ(buffer->at_line_start, 1);
        EXPECT_EQ(buffer->storage[0], '\0');
        EXPECT_EQ(buffer->storage[1], '\0');
        yy_free_buffer(buffer);
    });
}

// ---------------------------------------------------------------------
// Fatal errors of the input path.

TEST_F(ScanBufferDeathTest, EndOfBufferMissed) {
    platform::standardOutput().flush();
    EXPECT_EXIT(
        {
            openStandardInputBuffer();
            match_start = current_buffer->storage;
            scan_pos = current_buffer->storage + scan_count + 2;
            yy_refill();
        },
        testing::ExitedWithCode(2), "^fatal scanner internal error--end of buffer missed\n$");
}

TEST_F(ScanBufferDeathTest, PartialMatchCannotGrowStorageItDoesNotOwn) {
    platform::standardOutput().flush();
    EXPECT_EXIT(
        {
            ScanBuffer* buffer = yy_create_buffer(&platform::standardInput(), 4);
            yy_use_buffer(buffer);
            buffer->owns_storage = 0;
            buffer->status = SCAN_NORMAL;
            std::memcpy(buffer->storage, "abcd\0", 6);
            scan_count = 4;
            refillFrom(buffer->storage);
        },
        testing::ExitedWithCode(2), "^fatal error - scanner input buffer overflow\n$");
}

// A read error ends the input where it happens; the stream keeps it, for
// the caller to report with the input's name.
TEST_F(RefillTest, ReadErrorEndsTheInput) {
    enum Path { kByteAtATime, kLineAtATime, kThroughTheEngine };
    for (Path path : {kByteAtATime, kLineAtATime, kThroughTheEngine}) {
        SCOPED_TRACE(path == kByteAtATime ? "byte at a time" : path == kLineAtATime ? "line at a time" : "engine");
        // Reading a directory fails with EISDIR.
        int directory = open("/", O_RDONLY | O_DIRECTORY);
        ASSERT_GE(directory, 0);
        StdinFrom from(directory);
        close(directory);
        if (path == kThroughTheEngine) {
            std::string output = captureStdout([] { EXPECT_EQ(yy_next_token(), 0); });
            EXPECT_EQ(output, "");
        } else {
            openStandardInputBuffer();
            current_buffer->is_interactive = path == kLineAtATime ? 1 : 0;
            EXPECT_EQ(refillNext(), REFILL_END);
        }
        EXPECT_TRUE(platform::standardInput().hasError());
        resetScanState();
    }
}

// ---------------------------------------------------------------------
// A terminal on standard input.

TEST_F(RefillTest, BindTestsForTerminal) {
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.ok()) << "no pseudo-terminal";
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    struct Case {
        const char* name;
        int descriptor;
        int interactive;
    };
    const std::vector<Case> cases = {
        {"terminal", terminal.slave(), 1},
        {"pipe", pipeEnds[0], 0},
        {"directory", open("/", O_RDONLY | O_DIRECTORY), 0},
    };
    for (const Case& c : cases) {
        StdinFrom redirect(c.descriptor);
        ScanBuffer* buffer = yy_create_buffer(nullptr, 8);
        EXPECT_EQ(buffer->is_interactive, 0) << c.name;
        yy_bind_buffer(buffer, &platform::standardInput());
        EXPECT_EQ(buffer->is_interactive, c.interactive) << c.name;
        EXPECT_EQ(buffer->may_refill, 1) << c.name;
        yy_bind_buffer(buffer, nullptr);
        EXPECT_EQ(buffer->is_interactive, 0) << c.name;
        yy_free_buffer(buffer);
    }
    close(cases[2].descriptor);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

TEST_F(RefillTest, TerminalDeliversWholeLines) {
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.ok()) << "no pseudo-terminal";
    // Two lines, then the end-of-file character of the line discipline.
    ASSERT_TRUE(terminal.type("first line\nsecond\n\x04"));
    StdinFrom redirect(terminal.slave());
    openStandardInputBuffer();
    ASSERT_EQ(current_buffer->is_interactive, 1);

    struct Step {
        int result;
        std::string line;
        std::int64_t lineAfter;
    };
    const std::vector<Step> steps = {
        {REFILL_CONTINUE, "first line\n", 2},
        {REFILL_CONTINUE, "second\n", 3},
        {REFILL_END, "", 3},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(refillNext(), step.result) << step.line;
        EXPECT_EQ(scan_count, static_cast<int>(step.line.size()));
        EXPECT_EQ(std::string(current_buffer->storage, step.line.size() + 2), step.line + std::string("\0\0", 2));
        EXPECT_EQ(noLng, step.lineAfter);
        EXPECT_EQ(curLineLength, 0);
        EXPECT_EQ(histPos, 0);
        EXPECT_EQ(histEntries[0].line, 0);
    }
    // The restart at the end binds the terminal again.
    EXPECT_EQ(current_buffer->is_interactive, 1);
    EXPECT_EQ(current_buffer->status, SCAN_NEW);
}

TEST_F(RefillTest, TerminalReadStopsAt8192Characters) {
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.ok()) << "no pseudo-terminal";
    termios mode;
    ASSERT_EQ(tcgetattr(terminal.slave(), &mode), 0);
    cfmakeraw(&mode);
    ASSERT_EQ(tcsetattr(terminal.slave(), TCSANOW, &mode), 0);
    StdinFrom redirect(terminal.slave());
    openStandardInputBuffer();
    ASSERT_EQ(current_buffer->is_interactive, 1);

    const std::string line = pattern(9000) + "\n";
    // The terminal holds only a few KiB: the lines are typed while they are
    // read. A spare line is typed, so that a refill reading more than it
    // should finds input instead of waiting for it.
    bool typed = false;
    std::thread typist([&] { typed = terminal.type(line + "tail\nspare\n"); });
    std::vector<std::string> deliveries;
    for (int refill = 0; refill < 3; ++refill) {
        EXPECT_EQ(refillNext(), REFILL_CONTINUE);
        deliveries.emplace_back(current_buffer->storage, static_cast<std::size_t>(scan_count));
        if (refill == 0) {
            EXPECT_EQ(noLng, 1);  // no line feed yet
        }
    }
    typist.join();
    EXPECT_TRUE(typed);
    const std::vector<std::string> expected = {line.substr(0, kReadCap), line.substr(kReadCap), "tail\n"};
    EXPECT_TRUE(deliveries == expected);
    EXPECT_EQ(deliveries[0].size(), 8192u);
    EXPECT_EQ(noLng, 3);
    EXPECT_EQ(histPos, 0);
}

// ---------------------------------------------------------------------
// Files one after another through the same standard input stream.

TEST_F(RefillTest, EachFileStartsClean) {
    struct File {
        const char* name;
        std::string input;
        std::string output;  // line ends as \n here
        std::int64_t lineAfter;
        std::string curLineAfter;
    };
    const std::vector<File> files = {
        {"text and a quote", "ab\"c", "\t= \"ab\"\"c\"\n", 1, "ab\"c"},
        {"two lines", "x\ny", "\t= \"x\" _\n\t& \"y\"\n", 2, "y"},
        {"empty file", "", "\t= \"\"\n", 1, ""},
        {"ended by Ctrl-Z", "q\x1a" "zz", "\t= \"q\"\n", 1, "q"},
        {"ends with a line feed", "end\n", "\t= \"end\" _\n\t& \"\"\n", 2, ""},
        {"empty file again", "", "\t= \"\"\n", 1, ""},
    };
    ScanBuffer* buffer = nullptr;
    for (const File& file : files) {
        SCOPED_TRACE(file.name);
        EXPECT_EQ(convertNextStream(file.input), crlf(file.output));
        EXPECT_EQ(noLng, file.lineAfter);
        EXPECT_EQ(std::string(curLine), file.curLineAfter);
        // The one stream buffer stays, reset for the next file.
        ASSERT_NE(current_buffer, nullptr);
        if (buffer == nullptr) buffer = current_buffer;
        EXPECT_EQ(current_buffer, buffer);
        EXPECT_EQ(current_buffer->status, SCAN_NEW);
        EXPECT_EQ(scan_count, 0);
        EXPECT_EQ(current_buffer->storage[0], '\0');
        EXPECT_EQ(scan_in, &platform::standardInput());
    }
    // The same conversions, each from a fresh scanner.
    for (const File& file : files) EXPECT_EQ(convertStream(file.input), crlf(file.output)) << file.name;
}

TEST_F(RefillTest, CallAfterEndReturnsZeroAgain) {
    withStdin("ab\n", [] {
        int first = -1;
        EXPECT_EQ(captureStdout([&] { first = yy_next_token(); }), crlf("\t& \"ab\" _\n"));
        EXPECT_EQ(first, 0);
        EXPECT_EQ(noLng, 2);
        for (int call = 0; call < 2; ++call) {
            int again = -1;
            EXPECT_EQ(captureStdout([&] { again = yy_next_token(); }), "") << call;
            EXPECT_EQ(again, 0) << call;
            EXPECT_EQ(noLng, 2) << call;
            EXPECT_EQ(current_buffer->status, SCAN_NEW) << call;
        }
    });
}

}  // namespace
