#include "parser/start_states.h"

#include <cinttypes>

#include "platform/text_output.h"
#include "scanner/engine.h"
#include "scanner/line_state.h"
#include "scanner/scanner_state.h"

namespace {
// 2 x s + 1 in wider arithmetic, so that no state number overflows; the
// engine refuses any code its tables do not declare.
int startCodeOf(int state) {
    long long code = 2LL * state + 1;
    return (code > 0x7FFFFFFF || code < -0x7FFFFFFF) ? -1 : static_cast<int>(code);
}
}  // namespace

void setState(int state) {
    startStateStack[stateDepth] = state;
    start_code = startCodeOf(state);
}

void beginState(int state) {
    if (stateDepth >= kStartStateSlots - 1) return;
    startStateStack[++stateDepth] = state;
    if (stateTrace) {
        scan_out->printf("\nBEGIN (%d) %s noLng:%" PRId64 " =>", stateDepth, stateName(state),
                                          noLng);
    }
    start_code = startCodeOf(state);
}

void returnState() {
    if (stateDepth == 0) return;
    int state = startStateStack[--stateDepth];
    start_code = startCodeOf(state);
    if (stateTrace) {
        scan_out->printf("<= RETURN (%d) %s noLng:%" PRId64 "\n", stateDepth, stateName(state),
                                          noLng);
    }
}

const char* stateName(int state) { return state == INITIAL ? "INITIAL" : "--INCONNU--"; }
