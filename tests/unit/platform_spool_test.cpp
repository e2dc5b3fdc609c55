// Bytes held back in memory up to a limit and beyond it in a file no name
// holds, given back whole and in order.
#include "platform/spool.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PlatformSpool, GivesBackWhatWasWrittenWhereverItWasHeld) {
    constexpr std::size_t kLimit = 100;
    for (std::size_t size : {std::size_t{0}, std::size_t{10}, kLimit, kLimit + 1, 70000 + kLimit}) {
        for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
            std::string bytes;
            for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>(i * 31 % 251);
            platform::Spool spool(kLimit);
            for (std::size_t at = 0; at < size; at += piece) ASSERT_TRUE(spool.write(bytes.data() + at, std::min(piece, size - at)));
            EXPECT_EQ(spool.usesFile(), size > kLimit) << size << "/" << piece;
            platform::StringSink out;
            EXPECT_TRUE(spool.copyTo(out));
            EXPECT_EQ(out.text.size(), bytes.size()) << size << "/" << piece;
            EXPECT_TRUE(out.text == bytes) << size << "/" << piece;
            // Let go of once given back: nothing comes a second time.
            platform::StringSink again;
            EXPECT_TRUE(spool.copyTo(again));
            EXPECT_EQ(again.text, "");
        }
    }
}

}  // namespace
