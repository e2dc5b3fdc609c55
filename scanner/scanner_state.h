// The scanner's process-wide state, in one place: every variable that the
// engine, the input buffers, the rules, the line state, the history and
// the block path share is declared here and defined in scanner_state.cpp,
// beside the reset that puts it back as it is at program start. The names
// are the scanner's fixed surface; the other headers of the scanner only
// declare operations on them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/text_input.h"
#include "platform/text_output.h"
#include "scanner/form_writer.h"
#include "scanner/output_form.h"

struct ScanBuffer;
struct HistoryEntry;
struct PendingText;
using ScanStream = platform::TextInputStream;

constexpr int kCurLineSize = 5000;  // at most 4999 characters and the NUL
constexpr int kMarkSlots = 30;
constexpr int kDefaultHistoryLines = 15;

// Matching engine.
extern int first_call;
// 2 x s + 1 for the current start state s: the DFA state every match starts in.
extern int start_code;
extern int match_length;
extern int last_accept_state;
extern char* last_accept_pos;

// Input buffers.
extern ScanBuffer* current_buffer;
extern char* scan_pos;
extern char* match_start;
extern char held_char;
extern int scan_count;
extern ScanStream* scan_in;
extern int switched_at_end;

// Conversion rules. Every piece of the converted text goes out through
// scan_out: the rules' fixed pieces, the matched bytes, the prologue and
// the epilogue alike.
extern platform::TextOutputStream* scan_out;
// 1 while a string literal is open on the current output line.
extern int inString;
// 1 once a text byte of the current file has been written.
extern int textSeen;
// Non-zero while the current file is written by formWriter instead of the
// plain rules: a form other than the default one, or a UTF-16 file.
extern int formWriterOn;
extern FormWriter formWriter;

// The line being read: its number (line feeds read, 1 at a file's start)
// and its text.
extern std::int64_t noLng;
extern char curLine[kCurLineSize];
extern int curLineLength;  // strlen(curLine), kept to append in constant time

// LineHistory: a ring of nbl slots, emptied for every file.
extern HistoryEntry* histEntries;
extern int histPos;
extern int histFilling;
extern int nbl;
extern int nbf;
// Per slot, the text of a line recorded in place, and how many of the
// slots before histPos hold one (at most nbl).
extern PendingText* pendingTexts;
extern int pendingLines;
// MarkList: a ring of 30 marked line numbers; 0 is an empty slot.
extern std::int64_t marks[kMarkSlots];
extern int markRead;
extern int markWrite;

// Block path. On (the default), the engine takes the steady state of a
// stream buffer by runs; off, every byte goes through the per-byte steps.
extern bool block_path_enabled;
// Bytes taken by the block path since the program started, counted as the
// per-byte steps would read them: a CR LF pair is one.
extern std::uint64_t block_path_bytes;

// Puts every variable above back as at program start (the buffer freed,
// the history's storage freed), except the run's settings and counters:
// block_path_enabled and block_path_bytes stay as they are.
void resetScannerState();

// Where the next conversion reads and writes: a stream buffer in use is
// bound to `in` (a memory buffer in use is kept), and every piece of
// output, traces and dumps included, goes to `out`.
void yy_use_streams(ScanStream* in, platform::TextOutputStream* out);

// The form the next conversion writes: the plain rules for the default
// form, else the form writer (always for a UTF-16 text, read as UTF-8 and
// written in ASCII).
void yy_use_form(const OutputForm& form, bool utf16);
