#include "scanner/line_state.h"

#include "scanner/line_history.h"

std::int64_t noLng = 1;
char curLine[kCurLineSize];
int curLineLength = 0;

void clearCurLine() {
    curLine[0] = '\0';
    curLineLength = 0;
}

void finishLine() {
    recordLine(noLng, curLine);
    clearCurLine();
    ++noLng;
}
