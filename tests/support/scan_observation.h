// What the conversion of one file leaves for anyone to see: the output and
// the line state. Used to show that the block path and the per-byte steps
// give the same results.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "scanner/output_form.h"

struct ScanObservation {
    std::string output;
    std::int64_t lineNumber = 0;  // noLng after the scan
    std::string curLine;
    int curLineLength = 0;
    // The history before the per-file end releases it: every slot, in
    // ring order, and the ring's indexes.
    std::vector<std::pair<std::int64_t, std::string>> slots;
    int histPos = 0;
    int histFilling = 0;
    std::vector<std::int64_t> marks;
    int markRead = 0;
    int markWrite = 0;
    int inString = 0;
    int textSeen = 0;
    // Bytes the block path took during the scan.
    std::uint64_t blockBytes = 0;
};

// The line history's set-up for one file: -nbl: and -nbf: values (0: not
// given), and the lines marked, through addMark, before the scan starts.
struct HistorySetup {
    int nbl = 0;
    int nbf = 0;
    std::vector<std::int64_t> marks;
};

// Converts `raw`, read from standard input, through convertInput as the
// tool converts one file, in `form`, with the block path on or off, and
// returns what it wrote to standard output and left in the line state. The
// scanner is not reset first, so that a run of calls converts files one
// after another as the tool does.
ScanObservation observeConversion(const std::string& raw, const HistorySetup& setup, bool blockPath,
                                  const OutputForm& form = OutputForm());

// "" when both observations agree in everything but blockBytes; otherwise
// the first difference, readably.
std::string differenceBetween(const ScanObservation& blocks, const ScanObservation& perByte);
