// The packed DFA tables of the conversion rules and the engine's constants.
#pragma once

#include <cstdint>

// Per state 0-7 (state 0 is never used).
extern const std::int16_t yy_accept_table[8];
extern const std::int16_t yy_base_table[8];
extern const std::int16_t yy_default_table[8];
// Per packed index base + class.
extern const std::int16_t yy_next_table[9];
extern const std::int16_t yy_check_table[9];
// Byte value to character class, and class to meta class.
extern const std::int32_t yy_class_table[256];
extern const std::int32_t yy_meta_table[4];

constexpr int kJamBase = 5;               // the match loop stops in a state with this base
constexpr int kJamState = 7;              // no rule can be extended from here
constexpr int kFirstTemplateState = 8;    // from here on the class becomes its meta class
constexpr int kNulClass = 1;              // class of a NUL byte that is data
constexpr int kDefaultBufferSize = 16384;
constexpr int kInitialStartCode = 1;      // 2 x INITIAL + 1

// The transition lookup over the packed tables.
inline int yy_next_state(int state, int byteClass) {
    while (yy_check_table[yy_base_table[state] + byteClass] != state) {
        state = yy_default_table[state];
        if (state >= kFirstTemplateState) byteClass = yy_meta_table[byteClass];
    }
    return yy_next_table[yy_base_table[state] + byteClass];
}
