// The packed tables encode the automaton of the conversion rules, and the
// dense forms the engine uses give exactly the packed transitions.
#include <gtest/gtest.h>

#include "scanner/tables.h"

namespace {

TEST(ScannerTables, PackedLookupGivesTheRulesAutomaton) {
    // Next state per state 1-7 and class (end mark NUL, text, line feed, quote).
    const int expected[8][4] = {
        {0, 0, 0, 0}, {3, 4, 5, 6}, {3, 4, 5, 6}, {7, 7, 7, 7},
        {3, 7, 7, 7}, {3, 7, 7, 7}, {3, 7, 7, 7}, {3, 7, 7, 7},
    };
    for (int state = 1; state < kStates; ++state) {
        for (int c = 0; c < kClasses; ++c) {
            EXPECT_EQ(yy_next_state(state, c), expected[state][c]) << state << "," << c;
        }
    }
}

TEST(ScannerTables, DenseTablesMatchThePackedLookup) {
    for (int state = 0; state < kStates; ++state) {
        for (int c = 0; c < kClasses; ++c) EXPECT_EQ(yy_dense.byClass[state][c], yy_next_state(state, c));
        for (int byte = 0; byte < 256; ++byte) {
            EXPECT_EQ(yy_dense.byByte[state][byte], yy_next_state(state, yy_class_table[byte])) << state << "," << byte;
        }
    }
    for (int byte = 0; byte < 256; ++byte) {
        int next = yy_next_state(kInitialStartCode, yy_class_table[byte]);
        int action = yy_base_table[next] == kJamBase ? yy_accept_table[next] : 0;
        EXPECT_EQ(yy_dense.initialAction[byte], action) << byte;
    }
}

TEST(ScannerTables, ClassesAndActions) {
    for (int byte = 0; byte < 256; ++byte) {
        int expected = byte == 0 ? 0 : byte == 0x0A ? 2 : byte == 0x22 ? 3 : 1;
        EXPECT_EQ(yy_class_table[byte], expected) << byte;
    }
    // One byte of each kind selects its rule from the start state.
    EXPECT_EQ(yy_dense.initialAction[static_cast<unsigned char>('"')], 1);
    EXPECT_EQ(yy_dense.initialAction[static_cast<unsigned char>('\n')], 2);
    EXPECT_EQ(yy_dense.initialAction[static_cast<unsigned char>('a')], 3);
    EXPECT_EQ(yy_dense.initialAction[0xFF], 3);
    EXPECT_EQ(yy_dense.initialAction[0], 0) << "a NUL leads to the end-of-buffer state";
}

}  // namespace
