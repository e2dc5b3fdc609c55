#include "scanner/line_state.h"

std::int64_t noLng = 1;
char curLine[kCurLineSize];
int curLineLength = 0;

void clearCurLine() {
    curLine[0] = '\0';
    curLineLength = 0;
}
