#include "scanner/line_history.h"

#include <cinttypes>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/text_output.h"

namespace {

// The slots of the largest history made so far, and their pending texts.
HistoryEntry* slotStorage = nullptr;
PendingText* pendingStorage = nullptr;
int storedSlots = 0;

bool reserveSlots(int count) {
    if (count <= storedSlots) return true;
    freeLineHistoryStorage();
    if (static_cast<std::size_t>(count) > SIZE_MAX / sizeof(HistoryEntry)) return false;
    // Only each slot's number and first byte are written before use, so
    // the pages of a large history are touched as its lines come.
    slotStorage = static_cast<HistoryEntry*>(std::malloc(static_cast<std::size_t>(count) * sizeof(HistoryEntry)));
    pendingStorage = static_cast<PendingText*>(std::malloc(static_cast<std::size_t>(count) * sizeof(PendingText)));
    if (slotStorage == nullptr || pendingStorage == nullptr) {
        freeLineHistoryStorage();
        return false;
    }
    storedSlots = count;
    return true;
}

}  // namespace

bool resetLineHistory() {
    releaseLineHistory();
    histPos = 0;
    histFilling = 1;
    pendingLines = 0;
    std::memset(marks, 0, sizeof marks);
    markRead = markWrite = 0;
    if (nbl < 1 || !reserveSlots(nbl)) return false;
    for (int i = 0; i < nbl; ++i) {
        slotStorage[i].line = 0;
        slotStorage[i].text[0] = '\0';
    }
    histEntries = slotStorage;
    pendingTexts = pendingStorage;
    return true;
}

void releaseLineHistory() {
    histEntries = nullptr;
    pendingTexts = nullptr;
    pendingLines = 0;
}

void freeLineHistoryStorage() {
    releaseLineHistory();
    std::free(slotStorage);
    std::free(pendingStorage);
    slotStorage = nullptr;
    pendingStorage = nullptr;
    storedSlots = 0;
}

void recordPendingLines() {
    int slot = histPos;
    for (int i = 0; i < pendingLines; ++i) {
        slot = (slot == 0 ? nbl : slot) - 1;
        const PendingText& pending = pendingTexts[slot];
        std::size_t length = pending.length;
        if (length > kCurLineSize - 1) length = kCurLineSize - 1;
        if (length != 0) std::memcpy(histEntries[slot].text, pending.text, length);
        histEntries[slot].text[length] = '\0';
    }
    pendingLines = 0;
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
    for (std::int64_t number = first + skipped; number < first + count; ++number) recordLineInPlace(number, "", 0);
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
    if (pendingLines != 0) recordPendingLines();
    platform::TextOutputStream& out = *scan_out;
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
