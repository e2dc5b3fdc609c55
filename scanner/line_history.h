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

constexpr int kMarkSlots = 30;
constexpr int kDefaultHistoryLines = 15;

// LineHistory: a ring of nbl slots, rebuilt for every file.
extern HistoryEntry* histEntries;
extern int histPos;
extern int histFilling;
extern int nbl;
extern int nbf;

// MarkList: a ring of 30 marked line numbers; 0 is an empty slot.
extern std::int64_t marks[kMarkSlots];
extern int markRead;
extern int markWrite;

// Empties both rings and gives the history nbl fresh slots. Returns false,
// leaving no history, when the slots cannot be allocated.
bool resetLineHistory();
void releaseLineHistory();

void recordLine(std::int64_t number, const char* text);
// The dump test of a recorded line, for a current mark.
void checkCurrentMark();
// recordLine for a text whose length is known (at most 4999 are kept):
// the refill calls it once per line, so it costs one copy of the text.
inline void recordLine(std::int64_t number, const char* text, std::size_t length) {
    // Without a history (a scan outside the per-file frame) there is
    // nothing to keep.
    if (histEntries == nullptr) return;
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
// recordLine for `count` empty lines numbered from `first`, while no mark
// is current (so that none of them can dump): only the last nbl of them
// are written, the others would be overwritten in the ring.
void recordEmptyLines(std::int64_t first, std::int64_t count);
void addMark();
std::int64_t currentMark();
std::int64_t frontLine();
void dumpHistory();
void dropOldMarks(std::int64_t limit);
