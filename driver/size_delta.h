// The size change of a conversion, as the replace line and the summary show
// it.
#pragma once

#include <cstdint>
#include <string>

// "(delta:+100/+10%)": the difference out - in and its percentage of in,
// truncated toward zero (0 when in is 0). Exact for any 64-bit sizes.
std::string formatDelta(std::int64_t in, std::int64_t out);
// The percentage alone, saturated at the int64 range.
std::int64_t deltaPercent(std::int64_t in, std::int64_t out);
