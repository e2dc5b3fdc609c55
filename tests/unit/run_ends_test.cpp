// The run-end finder of the block path against the plain definition: the
// next byte at or after a position that is a double quote, a line feed, a
// CR or a NUL.
#include "scanner/run_ends.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The offset of the first end of a run at or after `from`, or the size.
std::size_t endFrom(const std::string& text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (run_ends::endsRun(static_cast<unsigned char>(text[i]))) return i;
    }
    return text.size();
}

// Random bytes in which ends of runs come as often as `everyNth` byte.
std::string randomText(std::mt19937& random, std::size_t length, unsigned everyNth) {
    static const char kEnds[] = {'"', '\n', '\r', '\0'};
    std::string text(length, 'x');
    for (char& c : text) {
        c = random() % everyNth == 0 ? kEnds[random() % 4] : static_cast<char>(random() % 256);
    }
    return text;
}

TEST(RunEnds, WindowMaskIsTheSameAsByBytes) {
    std::mt19937 random(64);
    for (int round = 0; round < 2000; ++round) {
        const std::string window = randomText(random, run_ends::kWindow, 1 + round % 20);
        ASSERT_EQ(run_ends::windowMask(window.data()), run_ends::windowMaskByBytes(window.data())) << round;
    }
    // Every byte value in every position.
    for (int value = 0; value < 256; ++value) {
        std::string window(run_ends::kWindow, static_cast<char>(value));
        ASSERT_EQ(run_ends::windowMask(window.data()), run_ends::windowMaskByBytes(window.data())) << value;
    }
}

TEST(RunEnds, FindsEveryEndInOrder) {
    std::mt19937 random(1999);
    // Lengths around the window size, steps of one and jumps past several
    // windows, dense and sparse ends.
    const std::vector<std::size_t> lengths = {0, 1, 2, 63, 64, 65, 127, 128, 129, 200, 1000, 4097};
    for (std::size_t length : lengths) {
        for (unsigned everyNth : {1u, 3u, 17u, 70u, 300u}) {
            const std::string text = randomText(random, length, everyNth);
            // The finder reads a copy of exactly that size, so that a
            // sanitizer sees any read past it.
            const std::vector<char> bytes(text.begin(), text.end());
            const char* const begin = bytes.data();
            // Each end found in turn, from one past the last.
            run_ends::RunEnds ends(begin, begin + bytes.size());
            std::size_t from = 0;
            while (from <= text.size()) {
                const std::size_t found = static_cast<std::size_t>(ends.from(begin + from) - begin);
                ASSERT_EQ(found, endFrom(text, from)) << "length " << length << ", from " << from;
                from = found + 1;
            }
            // Positions that leap ahead.
            run_ends::RunEnds leaping(begin, begin + bytes.size());
            for (std::size_t at = 0; at <= text.size(); at += 1 + random() % 150) {
                const std::size_t found = static_cast<std::size_t>(leaping.from(begin + at) - begin);
                ASSERT_EQ(found, endFrom(text, at)) << "length " << length << ", at " << at;
            }
        }
    }
}

}  // namespace
