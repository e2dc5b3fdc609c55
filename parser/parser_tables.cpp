#include "parser/parser_tables.h"

const std::int16_t yy_rule_lhs[2] = {-1, 0};
const std::int16_t yy_rule_length[2] = {2, 0};
const std::int16_t yy_default_reduce[2] = {1, 0};
const std::int16_t yy_default_goto[1] = {1};
const std::int16_t yy_shift_base[2] = {0, 0};
const std::int16_t yy_reduce_base[2] = {0, 0};
const std::int16_t yy_goto_base[1] = {0};
const std::int16_t yy_action[1] = {0};
const std::int16_t yy_action_check[1] = {-1};
