// The decoder's place in its input: the bytes of a text input stream as it
// delivers them, a run at a time, with the line and column reached.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/text_input.h"
#include "scanner/run_ends.h"

namespace decode {

// A place in the input: its physical line and byte column, from 1.
struct Place {
    std::size_t line = 0;
    std::size_t column = 0;
};

// A window of bytes read and not yet passed: a run of the stream (taken
// from it only when the window is left), or the one byte getByte() gave.
// In a run a CR LF pair stands for one line feed; a CR without its LF in
// the window is a lone CR. Columns count the bytes of the line as read.
class Cursor {
public:
    static constexpr int kEnd = -1;

    explicit Cursor(platform::TextInputStream& in) : in_(in) {}
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;
    // Gives the stream back what was passed of the current run.
    ~Cursor() {
        if (inRun_) in_.take(static_cast<std::size_t>(p_ - start_));
    }

    // The window: the next byte and the end of what is read.
    const char* at() const { return p_; }
    const char* end() const { return end_; }
    // Passes the bytes up to `p`, in the window, holding no line end.
    void skipTo(const char* p) { p_ = p; }
    // Passes the bytes up to `p`, in the window, the last one the line
    // feed of a line end.
    void skipLineEndsTo(const char* p, std::size_t lineEnds) {
        p_ = p;
        line_ += lineEnds;
        lineStart_ = position();
    }
    // True when a byte is there to read, reading the next window if need be.
    bool more() { return p_ < end_ || refill(); }

    // The next byte, a CR LF pair as one line feed; kEnd at the end.
    int peek() {
        if (p_ == end_ && !refill()) return kEnd;
        return pairAt() ? '\n' : static_cast<unsigned char>(*p_);
    }
    // Passes the byte peek() gave (a pair whole), not a line feed.
    void advance() { p_ += pairAt() ? 2 : 1; }
    // Passes the line feed (or pair) that peek() gave.
    void passLineEnd() {
        advance();
        ++line_;
        lineStart_ = position();
    }
    // At the lone CR peek() gave: passes it, and the line feed after it,
    // when one follows (text mode reads CR CR LF as a CR and a line feed,
    // one line end as a string holds them). False, the CR passed, if not.
    bool passCrLineEnd() {
        advance();
        if (peek() != '\n') return false;
        passLineEnd();
        return true;
    }

    bool atLineStart() const { return position() == lineStart_; }
    Place here() const { return {line_, static_cast<std::size_t>(position() - lineStart_ + 1)}; }

    // The first byte at or after at() that may end a literal's plain
    // bytes (a double quote, a line feed, a CR or a NUL), or end().
    const char* nextRunEnd() { return runEnds_.from(p_); }

private:
    bool pairAt() const { return *p_ == '\r' && p_ + 1 < end_ && p_[1] == '\n'; }
    std::uint64_t position() const { return offset_ + static_cast<std::uint64_t>(p_ - start_); }
    bool refill() {
        if (ended_) return false;
        offset_ += static_cast<std::uint64_t>(end_ - start_);
        if (inRun_) in_.take(static_cast<std::size_t>(end_ - start_));
        char* run = nullptr;
        std::size_t length = in_.textRun(run);
        inRun_ = length != 0;
        if (!inRun_) {
            const int c = in_.getByte();
            if (c == platform::TextInputStream::kEnd) {
                ended_ = true;
                start_ = p_ = end_ = nullptr;
                return false;
            }
            byte_ = static_cast<char>(c);
            run = &byte_;
            length = 1;
        }
        start_ = p_ = run;
        end_ = run + length;
        runEnds_ = run_ends::RunEnds(p_, end_);
        return true;
    }

    platform::TextInputStream& in_;
    const char* start_ = nullptr;
    const char* p_ = nullptr;
    const char* end_ = nullptr;
    bool inRun_ = false;
    bool ended_ = false;
    char byte_ = 0;
    // Bytes of the windows before this one, and where the line began.
    std::uint64_t offset_ = 0;
    std::uint64_t lineStart_ = 0;
    std::size_t line_ = 1;
    run_ends::RunEnds runEnds_{nullptr, nullptr};
};

}  // namespace decode
