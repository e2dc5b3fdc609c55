#include "scanner/line_history.h"

#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/text_output.h"

HistoryEntry* histEntries = nullptr;
int histPos = 0;
int histFilling = 1;
int nbl = kDefaultHistoryLines;
int nbf = kDefaultHistoryLines / 2;

std::int64_t marks[kMarkSlots];
int markRead = 0;
int markWrite = 0;

bool resetLineHistory() {
    releaseLineHistory();
    histPos = 0;
    histFilling = 1;
    std::memset(marks, 0, sizeof marks);
    markRead = markWrite = 0;
    if (nbl < 1) return false;
    histEntries = static_cast<HistoryEntry*>(std::calloc(static_cast<std::size_t>(nbl), sizeof(HistoryEntry)));
    return histEntries != nullptr;
}

void releaseLineHistory() {
    std::free(histEntries);
    histEntries = nullptr;
}

void recordLine(std::int64_t number, const char* text) { recordLine(number, text, std::strlen(text)); }

void recordEmptyLines(std::int64_t first, std::int64_t count) {
    if (histEntries == nullptr || count <= 0) return;
    const std::int64_t skipped = count > nbl ? count - nbl : 0;
    if (skipped > 0) {
        std::int64_t pos = histPos + skipped;
        if (pos >= nbl) histFilling = 0;
        histPos = static_cast<int>(pos % nbl);
    }
    for (std::int64_t number = first + skipped; number < first + count; ++number) {
        HistoryEntry& slot = histEntries[histPos];
        slot.line = number;
        slot.text[0] = '\0';
        if (++histPos >= nbl) {
            histPos = 0;
            histFilling = 0;
        }
    }
}

void checkCurrentMark() {
    if (currentMark() == 0) return;
    std::int64_t front = frontLine();
    std::int64_t mark = currentMark();
    std::int64_t distance = front > mark ? front - mark : mark - front;
    if (distance < nbf) {
        dumpHistory();
        dropOldMarks(front + nbl);
    }
}

std::int64_t frontLine() {
    int i = histFilling ? 0 : histPos + 1;
    if (i >= nbl) i = 0;
    return histEntries[i].line;
}

void dumpHistory() {
    platform::TextOutputStream& out = platform::standardOutput();
    auto print = [&out](const HistoryEntry& entry) {
        out.printf("%04" PRId64 ": %s\n", entry.line, entry.text);
    };
    if (!histFilling) {
        for (int i = histPos; i < nbl; ++i) print(histEntries[i]);
    }
    for (int i = 0; i < histPos; ++i) print(histEntries[i]);
    out.writeText("----------------------------------------------------------\n");
}

void addMark() {
    for (std::int64_t mark : marks) {
        if (mark == noLng) return;
    }
    marks[markWrite] = noLng;
    if (++markWrite >= kMarkSlots) markWrite = 0;
}

std::int64_t currentMark() { return marks[markRead]; }

void dropOldMarks(std::int64_t limit) {
    if (marks[markRead] >= limit) return;
    for (;;) {
        if (markRead == markWrite) return;
        marks[markRead] = 0;
        if (++markRead >= kMarkSlots) markRead = 0;
        if (marks[markRead] >= limit) return;
    }
}
