// The history of the most recent input lines, and the marks that dump it.
#pragma once

#include <cstdint>

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
void addMark();
std::int64_t currentMark();
std::int64_t frontLine();
void dumpHistory();
void dropOldMarks(std::int64_t limit);
