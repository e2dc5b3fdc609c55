#include "scanner/line_state.h"

#include "scanner/line_history.h"

void clearCurLine() {
    curLine[0] = '\0';
    curLineLength = 0;
}

void finishLine() {
    recordLine(noLng, curLine, static_cast<std::size_t>(curLineLength));
    clearCurLine();
    ++noLng;
}

void finishLineAfter(const char* rest, std::size_t length) {
    if (curLineLength == 0 && marks[markRead] == 0) {
        recordLineInPlace(noLng, rest, length);
    } else if (curLineLength == 0) {
        recordLine(noLng, rest, length);
    } else {
        appendToLine(rest, length);
        recordLine(noLng, curLine, static_cast<std::size_t>(curLineLength));
        clearCurLine();
    }
    ++noLng;
}

void finishEmptyLines(std::int64_t count) {
    recordEmptyLines(noLng, count);
    noLng += count;
}
