#include "driver/size_delta.h"

#include <cinttypes>
#include <cstdio>
#include <limits>

std::int64_t deltaPercent(std::int64_t in, std::int64_t out) {
    if (in <= 0) return 0;
    // out - in cannot overflow: both are sizes, so not negative.
    std::int64_t diff = out - in;
    std::uint64_t magnitude = diff < 0 ? static_cast<std::uint64_t>(-diff) : static_cast<std::uint64_t>(diff);
    std::uint64_t base = static_cast<std::uint64_t>(in);
    std::uint64_t whole = magnitude / base;
    std::uint64_t rest = magnitude % base;
    // rest * 100 / base without a 128-bit product: add rest a hundred times,
    // taking base off whenever the sum reaches it (rest < base, so once).
    std::uint64_t fraction = 0;
    std::uint64_t sum = 0;
    for (int i = 0; i < 100; ++i) {
        sum += rest;
        if (sum >= base) {
            sum -= base;
            ++fraction;
        }
    }
    const std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::uint64_t percent = (whole > (limit - fraction) / 100) ? limit : whole * 100 + fraction;
    return diff < 0 ? -static_cast<std::int64_t>(percent) : static_cast<std::int64_t>(percent);
}

std::string formatDelta(std::int64_t in, std::int64_t out) {
    std::int64_t diff = out - in;
    const char* sign = diff > 0 ? "+" : "";
    char text[128];
    std::snprintf(text, sizeof text, "(delta:%s%" PRId64 "/%s%" PRId64 "%%)", sign, diff, sign, deltaPercent(in, out));
    return text;
}
