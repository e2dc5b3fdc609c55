// The writer of the output forms other than the default one: kept line
// breaks (-nl), an assignment (-var), the limits of VBA and VB6 (-vba),
// characters outside ASCII as ChrW calls (-chrw, and UTF-16 files). With
// none of them it lays the expression out exactly as the plain rules do;
// the rules hand it their matches while formWriterOn is set.
//
// It takes runs as the block path hands them and lays out the same bytes
// however a text is cut into calls (one byte per call on the per-byte
// path): a UTF-8 sequence may go on in the next call, and a line is cut
// for -vba where its columns say, not where a call ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/text_output.h"
#include "scanner/ascii_run.h"
#include "scanner/output_form.h"

// VBA and VB6: at most 24 line continuations in one statement (25 physical
// lines), at most 1,023 characters in one physical line.
constexpr int kVbaLinesPerStatement = 25;
constexpr std::size_t kVbaLineLength = 1023;

class FormWriter {
public:
    // Starts a file in `form`. `utf16`: the text comes from a UTF-16 file
    // (as UTF-8, surrogate halves included); its characters outside ASCII
    // are written as ChrW whatever the form says.
    void begin(const OutputForm& form, bool utf16);
    // The statement's start, leaving a string open.
    void prologue();
    // Text bytes: no double quote, line feed, CR or NUL among them.
    void text(const char* data, std::size_t length);
    void quote();
    void lineEnds(std::size_t count);
    void carriageReturn();
    void nul();
    // Closes the expression.
    void epilogue();

    // Shortcuts for the rules, inlined into them: the common case of a
    // match, written to `out` as the call above would write it; false,
    // with nothing written, when the match needs the call.
    // A run of text that goes whole on the line, in the open string or in
    // one it opens as a line's first operand.
    bool textOnLine(const char* data, std::size_t length, platform::TextOutputStream& out) {
        const bool opens = place_ == Place::LineStart && !cut_ && !restart_;
        if ((place_ != Place::InString && !opens) || pendingCount_ != 0) return false;
        const std::int64_t width = static_cast<std::int64_t>(length) + (opens ? 4 : 0);
        if (form_.vba && width + 3 > room_) return false;
        if (decode_ && !ascii_run::isAscii(data, length)) return false;
        if (opens) out.writeRaw("\t& \"", 4);
        out.writeRaw(data, length);
        room_ -= width;
        place_ = Place::InString;
        return true;
    }
    // A double quote in the open string.
    bool quoteOnLine(platform::TextOutputStream& out) {
        if (place_ != Place::InString || pendingCount_ != 0 || (form_.vba && room_ < 2)) return false;
        out.writeRaw("\"\"", 2);
        room_ -= 2;
        return true;
    }
    // One line end after the open string, before the statement's last line.
    bool lineEndAfterString(std::size_t count, platform::TextOutputStream& out) {
        if (count != 1 || place_ != Place::InString || pendingCount_ != 0) return false;
        if (form_.vba && line_ >= kVbaLinesPerStatement) return false;
        out.writeRaw(closeLine_.data(), closeLine_.size());
        ++line_;
        room_ = lineRoom_;
        place_ = Place::LineStart;
        return true;
    }

private:
    enum class Place { LineStart, InString, AfterConstant };

    // Writes to scan_out, or to stage_ while staging_ is set: a run of
    // text that holds characters outside ASCII makes many short pieces,
    // handed to scan_out as one block at the run's end.
    void emit(const char* data, std::size_t length);
    void flushStage();
    // emit, counting the characters on the line.
    void put(const char* data, std::size_t length);
    void put(const std::string& text) { put(text.data(), text.size()); }
    // Literal bytes, split over lines under -vba.
    void literal(const char* data, std::size_t length);
    // An operand other than a literal (a constant or a ChrW/Chr call);
    // `reopen`: a string is opened after it. `text` has kJoinRoom bytes
    // before it that the writer may use to write the operator with it.
    static constexpr std::size_t kJoinRoom = 4;
    void constant(char* text, std::size_t length, bool reopen);
    // Makes room for `needed` more characters on the line under -vba,
    // ending the line when they do not fit.
    void makeRoom(std::size_t needed);
    // Ends the physical line with a continuation, or under -vba, at the
    // statement's last line, ends the statement.
    void endLine() { endLineWith(continueLine_, endStatement_); }
    // The same, after writing `going`, or `ending` where the statement ends.
    void endLineWith(const std::string& going, const std::string& ending);
    // Ends a physical line inside a line of text (-vba, a long line).
    void cutLine();
    // Opens a string literal where none is open.
    void openString();
    // Writes the line's start where nothing is written yet.
    void startLine();
    // The line end of a line that holds what place_ says.
    void lineEnd();
    // `count` empty lines from the start of a line that no cut goes on.
    void emptyLines(std::size_t count);
    // Under -chrw, with no sequence waiting: the text from `p` to `end`,
    // its ASCII runs and whole characters formatted straight into the
    // stage, a chunk of input at a time for which the stage has room for
    // the longest output; the writer's steps below take any piece that
    // needs more (a cut under -vba, a byte that is not UTF-8, a sequence
    // that the call does not finish, a line's start that goes on a cut or
    // restarts a statement).
    void runs(const char* p, const char* end);
    // One such piece the writer's way: an ASCII run or the characters up to
    // the next ASCII byte.
    const char* slowPiece(const char* p, const char* end);
    // Decoding of UTF-8 under -chrw: the characters from `p`, up to the
    // next ASCII byte or `end`, where an unfinished sequence waits for the
    // next call; and one byte of a sequence begun in an earlier call.
    const char* characters(const char* p, const char* end);
    void decodeByte(unsigned char byte);
    void character(std::uint32_t code);
    void byteCall(unsigned char byte);
    // Writes the bytes of an unfinished sequence as Chr calls.
    void settle() {
        if (pendingCount_ != 0) settlePending();
    }
    void settlePending();

    OutputForm form_;
    bool decode_ = false;          // characters outside ASCII as ChrW
    bool surrogates_ = false;      // UTF-8 of surrogate halves is valid (UTF-16 files)
    std::string lineEnd_;          // " & vbCrLf" under -nl, else empty
    std::string continueLine_;     // " _" CR LF
    std::string endStatement_;     // CR LF
    std::string closeLine_;        // a string's end, lineEnd_, continueLine_
    std::string closeStatement_;   // a string's end, lineEnd_, endStatement_
    std::string restartPrefix_;    // "NAME = NAME & "
    std::int64_t lineRoom_ = 0;    // characters a line may hold before its end (no limit without -vba)
    Place place_ = Place::LineStart;
    std::int64_t room_ = 0;        // characters the line may still take
    std::int64_t line_ = 1;        // physical line of the statement, from 1
    bool restart_ = false;         // the next line starts a new statement
    bool cut_ = false;             // the next line goes on with the line of text before
    // Empty lines as they follow one another from a line's start: under
    // -vba statements' cycles of lines from the first, else lines alike;
    // emptyAt_[i] is where line i + 1 begins.
    std::string emptyCycle_;
    std::vector<std::size_t> emptyAt_;
    // An unfinished UTF-8 sequence.
    unsigned char pending_[4] = {};
    int pendingCount_ = 0;
    int pendingNeeded_ = 0;
    std::uint32_t code_ = 0;

    static constexpr std::size_t kStageSize = 4096;
    bool staging_ = false;
    std::size_t staged_ = 0;
    char stage_[kStageSize];
};
