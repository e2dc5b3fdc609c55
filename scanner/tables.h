// The packed DFA tables of the conversion rules, the engine's constants,
// and dense forms of the transitions computed from the packed tables.
#pragma once

#include <cstdint>

// Per state 0-7 (state 0 is never used).
inline constexpr std::int16_t yy_accept_table[8] = {0, 0, 0, 5, 3, 2, 1, 0};
inline constexpr std::int16_t yy_base_table[8] = {0, 0, 0, 4, 5, 5, 5, 5};
inline constexpr std::int16_t yy_default_table[8] = {0, 7, 1, 7, 7, 7, 7, 0};
// Per packed index base + class.
inline constexpr std::int16_t yy_next_table[9] = {0, 4, 5, 6, 7, 3, 7, 7, 7};
inline constexpr std::int16_t yy_check_table[9] = {0, 1, 1, 1, 3, 7, 7, 7, 7};
// Class to meta class.
inline constexpr std::int32_t yy_meta_table[4] = {0, 1, 1, 1};

constexpr int kStates = 8;
constexpr int kClasses = 4;
constexpr int kJamBase = 5;               // the match loop stops in a state with this base
constexpr int kJamState = 7;              // no rule can be extended from here
constexpr int kFirstTemplateState = 8;    // from here on the class becomes its meta class
constexpr int kNulClass = 1;              // class of a NUL byte that is data
constexpr int kDefaultBufferSize = 16384;
constexpr int kInitialStartCode = 1;      // 2 x INITIAL + 1

// Byte value to character class: 0 for the end mark NUL, 2 for the line
// feed, 3 for the double quote, 1 for every other byte.
struct ClassTable {
    std::int32_t of[256];
};
constexpr ClassTable buildClassTable() {
    ClassTable table{};
    for (int byte = 0; byte < 256; ++byte) table.of[byte] = 1;
    table.of[0x00] = 0;
    table.of[0x0A] = 2;
    table.of[0x22] = 3;
    return table;
}
inline constexpr ClassTable yy_classes = buildClassTable();
inline constexpr const std::int32_t (&yy_class_table)[256] = yy_classes.of;

// The transition lookup over the packed tables: follow the default chain
// until the check table names the state. State 0, whose default is itself,
// has no row beyond its own entries: its other transitions give 0.
constexpr int yy_next_state(int state, int byteClass) {
    while (yy_check_table[yy_base_table[state] + byteClass] != state) {
        int fallback = yy_default_table[state];
        if (fallback == state) return 0;
        state = fallback;
        if (state >= kFirstTemplateState) byteClass = yy_meta_table[byteClass];
    }
    return yy_next_table[yy_base_table[state] + byteClass];
}

// Every transition of the packed tables, resolved once: by class, and by
// byte value for the match loop (a NUL there is the end mark's class 0).
struct DenseTransitions {
    std::uint8_t byClass[kStates][kClasses];
    std::uint8_t byByte[kStates][256];
    // From the INITIAL start state: the action of a byte whose match cannot
    // grow (its next state has the jam base), 0 when the match goes on.
    std::uint8_t initialAction[256];
};
constexpr DenseTransitions buildDenseTransitions() {
    DenseTransitions dense{};
    for (int state = 0; state < kStates; ++state) {
        for (int c = 0; c < kClasses; ++c) dense.byClass[state][c] = static_cast<std::uint8_t>(yy_next_state(state, c));
        for (int byte = 0; byte < 256; ++byte)
            dense.byByte[state][byte] = dense.byClass[state][yy_class_table[byte]];
    }
    for (int byte = 0; byte < 256; ++byte) {
        int next = dense.byByte[kInitialStartCode][byte];
        dense.initialAction[byte] =
            static_cast<std::uint8_t>(yy_base_table[next] == kJamBase ? yy_accept_table[next] : 0);
    }
    return dense;
}
inline constexpr DenseTransitions yy_dense = buildDenseTransitions();
