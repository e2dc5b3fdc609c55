#include "parser/parser.h"

#include <cinttypes>
#include <string>

#include "parser/parser_tables.h"
#include "parser/conversion_hooks.h"
#include "scanner/engine.h"
#include "scanner/line_state.h"
#include "scanner/scan_buffer.h"

namespace {

// The parse stacks; entry 0 is the bottom and holds state 0.
std::int16_t yy_state_stack[kParserStackSize];
std::int32_t yy_value_stack[kParserStackSize];
int top;

bool packedEntry(int base, int key) {
    return base != 0 && base + key >= 0 && base + key <= kLastPackedIndex && yy_action_check[base + key] == key;
}

void readLookahead() {
    if (yy_lookahead >= 0) return;
    int token = yy_token_source();
    yy_lookahead = token < 0 ? 0 : token;
}

// False when the stack is full: the overflow has then been reported.
bool push(int state, std::int32_t value) {
    if (top >= kParserStackSize - 1) {
        yy_syntax_error("parser stack overflow");
        return false;
    }
    ++top;
    yy_state_stack[top] = static_cast<std::int16_t>(state);
    yy_value_stack[top] = value;
    return true;
}

enum class Step { Continue, Accept, Fail };

Step reduce(int rule, int& state) {
    int length = yy_rule_length[rule];
    int lhs = yy_rule_lhs[rule];
    // Only the accept rule has no left side, and it is never reduced.
    if (length > top || lhs < 0 || lhs >= kNonterminals) return Step::Fail;
    std::int32_t value = length > 0 ? yy_value_stack[top - (length - 1)] : 0;
    top -= length;
    int uncovered = yy_state_stack[top];
    if (uncovered == 0 && lhs == 0) {
        ++top;  // state 0 lies only at the bottom, so there is room
        yy_state_stack[top] = kFinalState;
        yy_value_stack[top] = value;
        state = kFinalState;
        readLookahead();
        return yy_lookahead == 0 ? Step::Accept : Step::Continue;
    }
    int base = yy_goto_base[lhs];
    int next = packedEntry(base, uncovered) ? yy_action[base + uncovered] : yy_default_goto[lhs];
    if (!push(next, value)) return Step::Fail;
    state = next;
    return Step::Continue;
}

Step recover(int& state) {
    if (yy_recovering == 0) {
        yy_syntax_error("syntax error");
        ++yy_error_count;
    }
    if (yy_recovering < 3) {
        yy_recovering = 3;
        for (;;) {
            int candidate = yy_state_stack[top];
            int base = yy_shift_base[candidate];
            if (packedEntry(base, kErrorToken)) {
                if (!push(yy_action[base + kErrorToken], yy_token_value)) return Step::Fail;
                state = yy_state_stack[top];
                return Step::Continue;
            }
            if (top == 0) return Step::Fail;
            --top;
        }
    }
    if (yy_lookahead == 0) return Step::Fail;
    yy_lookahead = -1;
    return Step::Continue;
}

}  // namespace

int yy_parse_input() {
    yy_error_count = 0;
    yy_recovering = 0;
    yy_lookahead = -1;
    top = 0;
    yy_state_stack[0] = 0;
    yy_value_stack[0] = 0;
    int state = 0;

    for (;;) {
        Step step;
        if (yy_default_reduce[state] != 0) {
            step = reduce(yy_default_reduce[state], state);
        } else {
            readLookahead();
            int token = yy_lookahead;
            int shiftBase = yy_shift_base[state];
            int reduceBase = yy_reduce_base[state];
            if (packedEntry(shiftBase, token)) {
                if (!push(yy_action[shiftBase + token], yy_token_value)) return 1;
                state = yy_state_stack[top];
                yy_lookahead = -1;
                if (yy_recovering > 0) --yy_recovering;
                continue;
            }
            if (packedEntry(reduceBase, token)) {
                step = reduce(yy_action[reduceBase + token], state);
            } else {
                step = recover(state);
            }
        }
        if (step == Step::Accept) return 0;
        if (step == Step::Fail) return 1;
    }
}

void yy_syntax_error(const char* message) {
    ConversionHooks& hooks = activeHooks();
    const char* currentPath = hooks.currentPath();
    const char* path = currentPath != nullptr ? currentPath : "";
    const char* token = match_start != nullptr ? match_start : "";
    std::string line = "Syntax error ligne " + std::to_string(noLng) + " in file " + path + " -> <" + token +
                       ">: " + message + "\n";
    hooks.diagnostic(line);
}
