// The history of the most recent input lines, and the marks that dump it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "scanner/line_state.h"

struct HistoryEntry {
    std::int64_t line;        // 0 in a slot never written
    char text[kCurLineSize];  // without the line feed
};

// The LineHistory (histEntries, histPos, histFilling, nbl, nbf) and the
// MarkList (marks, markRead, markWrite) are the scanner's state. The
// history's storage is kept from file to file and grows when a file needs
// more slots.

// Empties both rings and gives the history nbl empty slots. Returns false,
// leaving no history, when the slots cannot be allocated.
bool resetLineHistory();
// Ends the file's history: until the next reset there is none.
void releaseLineHistory();
// Frees the storage kept for the slots.
void freeLineHistoryStorage();

// A line recorded in place: its text is still where it was read.
struct PendingText {
    const char* text;
    std::size_t length;
};
// pendingTexts holds, per slot, the text of a line recorded in place;
// pendingLines says how many of the slots before histPos hold one: their
// texts are copied by recordPendingLines().
// Copies the texts of the lines recorded in place into their slots.
void recordPendingLines();

void recordLine(std::int64_t number, const char* text);
// The dump test of a recorded line, for a current mark.
void checkCurrentMark();
// recordLine for a text whose length is known (at most 4999 are kept):
// the refill calls it once per line, so it costs one copy of the text.
inline void recordLine(std::int64_t number, const char* text, std::size_t length) {
    // Without a history (a scan outside the per-file frame) there is
    // nothing to keep.
    if (histEntries == nullptr) return;
    // A pending text would overwrite this one later.
    if (pendingLines != 0) recordPendingLines();
    HistoryEntry& slot = histEntries[histPos];
    slot.line = number;
    if (length > kCurLineSize - 1) length = kCurLineSize - 1;
    std::memcpy(slot.text, text, length);
    slot.text[length] = '\0';
    if (++histPos >= nbl) {
        histPos = 0;
        histFilling = 0;
    }
    if (marks[markRead] != 0) checkCurrentMark();
}
// recordLine while no mark is current (so that no dump can follow), for a
// text that stays where it is until recordPendingLines(): the slot takes
// the line's number now and its text then. Of many lines recorded so,
// only the last nbl are ever copied; the others would have been
// overwritten in the ring.
inline void recordLineInPlace(std::int64_t number, const char* text, std::size_t length) {
    if (histEntries == nullptr) return;
    histEntries[histPos].line = number;
    pendingTexts[histPos] = {text, length};
    if (++histPos >= nbl) {
        histPos = 0;
        histFilling = 0;
    }
    if (pendingLines < nbl) ++pendingLines;
}
// recordLineInPlace for `count` empty lines numbered from `first`: only
// the last nbl of them are written.
void recordEmptyLines(std::int64_t first, std::int64_t count);
void addMark();
std::int64_t currentMark();
std::int64_t frontLine();
void dumpHistory();
void dropOldMarks(std::int64_t limit);
