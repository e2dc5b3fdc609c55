#include "parser/scan_frame.h"

#include <cctype>
#include <climits>

#include "parser/conversion_hooks.h"
#include "parser/start_states.h"
#include "platform/console.h"
#include "scanner/fatal.h"
#include "scanner/line_history.h"
#include "scanner/line_state.h"
#include "scanner/rules.h"

bool readDecimal(const char* text, int* value) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (std::isspace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    if (!std::isdigit(*p)) return false;
    long long result = 0;
    for (; std::isdigit(*p); ++p) {
        if (result <= INT_MAX) result = result * 10 + (*p - '0');
    }
    if (negative) result = -result;
    if (result > INT_MAX) result = INT_MAX;
    if (result < INT_MIN) result = INT_MIN;
    *value = static_cast<int>(result);
    return true;
}

void beginFileScan() {
    noLng = 1;
    int value;
    // A history needs at least one slot: a smaller value is ignored.
    if (readDecimal(activeHooks().namedOptionValue("nbl:"), &value) && value >= 1) nbl = value;
    nbf = nbl / 2;
    if (readDecimal(activeHooks().namedOptionValue("nbf:"), &value) && value > 0 && value < nbl) nbf = value;
    clearCurLine();
    if (!resetLineHistory()) yy_fatal("Pas assez de m" TXT2VB_E_ACUTE "moire pour l'historique des lignes (-nbl)");
    setState(INITIAL);
    stateTrace = activeHooks().traceWanted() ? 1 : 0;
    inString = 0;
    textSeen = 0;
    writePrologue();
}

void endFileScan() {
    releaseLineHistory();
    writeEpilogue();
}

int wrapHook() { return 1; }

void beforeParse() {}

void afterParse() {}
