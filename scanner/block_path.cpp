#include "scanner/block_path.h"

#include <cstddef>
#include <cstring>

#include "scanner/line_history.h"
#include "scanner/line_state.h"
#include "scanner/rules.h"
#include "scanner/run_ends.h"

namespace {

// What the rules do with a byte, by the action its one-byte match from
// INITIAL selects: a text byte (rule 3) goes into a run with its
// neighbours; a double quote (rule 1) and a line feed (rule 2) are matches
// of their own; so is a CR, text for the tables, since rule 3 writes it as
// a constant (or, with the line feed after it in the run, the pair that
// the input stream delivers as one line feed); a NUL, whose match goes on
// past it, is left to the per-byte steps.
enum RunKind : unsigned char { kText, kQuote, kLineFeed, kCarriageReturn, kPerByte };

struct RunKinds {
    unsigned char of[256];
};
constexpr RunKinds buildRunKinds() {
    RunKinds kinds{};
    for (int byte = 0; byte < 256; ++byte) {
        switch (yy_dense.initialAction[byte]) {
            case 1:
                kinds.of[byte] = kQuote;
                break;
            case 2:
                kinds.of[byte] = kLineFeed;
                break;
            case 3:
                kinds.of[byte] = byte == '\r' ? kCarriageReturn : kText;
                break;
            default:
                kinds.of[byte] = kPerByte;
                break;
        }
    }
    return kinds;
}
constexpr RunKinds kRunKinds = buildRunKinds();

inline unsigned char kindOf(const char* p) { return kRunKinds.of[static_cast<unsigned char>(*p)]; }

// A text run ends at the first byte of another kind: the bytes the run
// end finder looks for are exactly those.
constexpr bool runEndsAreTheOtherKinds() {
    for (int byte = 0; byte < 256; ++byte) {
        if (run_ends::endsRun(static_cast<unsigned char>(byte)) == (kRunKinds.of[byte] == kText)) return false;
    }
    return true;
}
static_assert(runEndsAreTheOtherKinds(), "a text run ends at a quote, a line feed, a CR or a NUL");

// The end of the run of line feeds that goes on at `p`, eight at a time
// where it can.
inline char* lineFeedRunEnd(char* p, char* end) {
    constexpr std::uint64_t kEightLineFeeds = 0x0A0A0A0A0A0A0A0AULL;
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if (word != kEightLineFeeds) break;
        p += 8;
    }
    while (p < end && *p == '\n') ++p;
    return p;
}

// The same for a run of CR LF pairs, four at a time where it can.
constexpr char kFourPairs[] = "\r\n\r\n\r\n\r\n";
inline char* pairRunEnd(char* p, char* end) {
    while (end - p >= 8 && std::memcmp(p, kFourPairs, 8) == 0) p += 8;
    while (end - p >= 2 && p[0] == '\r' && p[1] == '\n') p += 2;
    return p;
}

// The line ends that go on at `p`, line feeds and CR LF pairs whole in
// the run, in any order: `p` is moved past them, and the number of pairs
// among them is added to `pairs`.
inline void skipLineEnds(char*& p, char* end, std::size_t& pairs) {
    for (;;) {
        if (p < end && *p == '\n') {
            p = lineFeedRunEnd(p, end);
        } else if (end - p >= 2 && p[0] == '\r' && p[1] == '\n') {
            char* after = pairRunEnd(p, end);
            pairs += static_cast<std::size_t>(after - p) / 2;
            p = after;
        } else {
            return;
        }
    }
}

// The scanner state that the per-byte steps leave after the rule of
// `last` has run, the byte having been read at the end mark at `readAt`:
// the byte alone in the storage as the token text, NUL-terminated, and the
// end mark behind it.
void settleAfter(char last, const char* readAt) {
    char* storage = current_buffer->storage;
    storage[0] = last;
    storage[1] = '\0';
    storage[2] = '\0';
    scan_count = 1;
    match_start = storage;
    match_length = 1;
    scan_pos = storage + 1;
    held_char = '\0';
    last_accept_state = yy_end_mark_match.lastAcceptState;
    last_accept_pos = const_cast<char*>(readAt) + yy_end_mark_match.lastAcceptOffset;
}

}  // namespace

void scanRuns() {
    // The rule actions neither switch buffers nor start states, so the
    // steady state holds from run to run.
    char* const firstEndMark = scan_pos;
    // Bytes the per-byte steps would have read: a CR LF pair is one.
    std::uint64_t taken = 0;
    char last = '\0';
    char* run;
    while (std::size_t length = scan_in->textRun(run)) {
        char* p = run;
        char* const end = run + length;
        std::size_t pairs = 0;
        run_ends::RunEnds runEnds(run, end);
        // The line's text goes to curLine a piece at a time: up to each line
        // end, and what is left at the end of the run. Quotes and lone CRs
        // are part of it; a NUL, which adds nothing, is never taken here.
        char* lineFrom = run;
        while (p < end) {
            // Text comes first: a text run always ends at a byte of another
            // kind, or at the end of the run.
            if (kindOf(p) == kText) {
                char* const next = const_cast<char*>(runEnds.from(p + 1));
                match_start = p;
                match_length = static_cast<int>(next - p);
                ruleText();
                p = next;
                if (p == end) break;
            }
            char* next = p + 1;
            const unsigned char kind = kindOf(p);
            if (kind == kQuote) {
                match_start = p;
                match_length = 1;
                ruleQuote();
            } else if (kind == kLineFeed || (kind == kCarriageReturn && next < end && *next == '\n')) {
                if (kind == kCarriageReturn) {
                    // A CR LF pair: the line feed the per-byte steps read.
                    ++next;
                    ++pairs;
                }
                finishLineAfter(lineFrom, static_cast<std::size_t>(p - lineFrom));
                // The line ends that follow end empty lines. With no mark
                // current, no dump can come between them, and they are one
                // match, its length their number of line feeds; otherwise
                // each is a match of its own, so that a dump lands before
                // its line feed's output.
                int lineFeeds = 1;
                if (next < end && (*next == '\n' || *next == '\r') && marks[markRead] == 0) {
                    char* const first = next;
                    std::size_t morePairs = 0;
                    skipLineEnds(next, end, morePairs);
                    const int more = static_cast<int>(next - first) - static_cast<int>(morePairs);
                    if (more != 0) finishEmptyLines(more);
                    lineFeeds += more;
                    pairs += morePairs;
                }
                lineFrom = next;
                match_start = p;
                match_length = lineFeeds;
                ruleNewline();
            } else if (kind == kCarriageReturn) {
                // A lone CR, text to the tables.
                match_start = p;
                match_length = 1;
                ruleText();
            } else {
                break;  // a NUL: its match goes on past it
            }
            p = next;
        }
        // The run's lines are copied before the stream reads over them.
        if (pendingLines != 0) recordPendingLines();
        appendToLine(lineFrom, static_cast<std::size_t>(p - lineFrom));
        scan_in->take(static_cast<std::size_t>(p - run));
        taken += static_cast<std::uint64_t>(p - run) - pairs;
        if (p != run) last = p[-1];
        if (p != end) break;
    }
    if (taken == 0) return;
    block_path_bytes += taken;
    settleAfter(last, taken == 1 ? firstEndMark : current_buffer->storage + 1);
}
