// The packed LALR tables of the grammar: one start symbol whose only rule
// has an empty right side, so the parser accepts the end of input alone.
#pragma once

#include <cstdint>

extern const std::int16_t yy_rule_lhs[2];
extern const std::int16_t yy_rule_length[2];
extern const std::int16_t yy_default_reduce[2];
extern const std::int16_t yy_default_goto[1];
extern const std::int16_t yy_shift_base[2];
extern const std::int16_t yy_reduce_base[2];
extern const std::int16_t yy_goto_base[1];
extern const std::int16_t yy_action[1];
extern const std::int16_t yy_action_check[1];

constexpr int kParserStates = 2;
constexpr int kNonterminals = 1;
constexpr int kFinalState = 1;
constexpr int kLastPackedIndex = 0;
