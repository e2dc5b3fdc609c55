// The size change shown by the replace line and the summary.
#include "driver/size_delta.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

TEST(SizeDelta, FormatsAsTheSummaryAndTheReplaceLineShowThem) {
    struct Case {
        std::int64_t in, out;
        const char* expected;
    };
    const std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const std::vector<Case> cases = {
        {1000, 1100, "(delta:+100/+10%)"},
        {1000, 900, "(delta:-100/-10%)"},
        {0, 0, "(delta:0/0%)"},
        {0, 7, "(delta:+7/+0%)"},
        {3, 4, "(delta:+1/+33%)"},
        {3, 2, "(delta:-1/-33%)"},
        {100, 0, "(delta:-100/-100%)"},
        // Beyond 21 MB a 32-bit diff x 100 would overflow.
        {30000000, 90000000, "(delta:+60000000/+200%)"},
        {5000000000, 15000000007, "(delta:+10000000007/+200%)"},
        {max, max, "(delta:0/0%)"},
        {max - 1, max, "(delta:+1/+0%)"},
        {1, max, "(delta:+9223372036854775806/+9223372036854775807%)"},
        {max, 0, "(delta:-9223372036854775807/-100%)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatDelta(c.in, c.out), c.expected) << c.in << " -> " << c.out;
    }
}

TEST(SizeDelta, PercentIsTruncatedTowardZeroExactly) {
    // Compare with 128-bit arithmetic over awkward values.
    const std::int64_t values[] = {1, 2, 3, 7, 99, 100, 101, 12345, 1LL << 31, (1LL << 31) + 1,
                                   (1LL << 40) + 3, 922337203685477580LL, 4611686018427387903LL};
    for (std::int64_t in : values) {
        for (std::int64_t out : values) {
            __int128 expected = (static_cast<__int128>(out) - in) * 100 / in;
            if (expected > std::numeric_limits<std::int64_t>::max()) expected = std::numeric_limits<std::int64_t>::max();
            EXPECT_EQ(deltaPercent(in, out), static_cast<std::int64_t>(expected)) << in << " -> " << out;
        }
    }
}

}  // namespace
