// The writer of the output forms other than the default one: kept line
// breaks (-nl), an assignment (-var), the limits of VBA and VB6 (-vba),
// characters outside ASCII as ChrW calls (-chrw, and UTF-16 files). With
// none of them it lays the expression out exactly as the plain rules do;
// the rules hand it their matches while formWriterOn is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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

private:
    enum class Place { LineStart, InString, AfterConstant };

    void put(const char* data, std::size_t length);
    void put(const std::string& text) { put(text.data(), text.size()); }
    // Literal bytes, split over lines under -vba.
    void literal(const char* data, std::size_t length);
    // An operand other than a literal (a constant or a ChrW/Chr call);
    // `reopen`: a string is opened after it.
    void constant(const char* text, std::size_t length, bool reopen);
    // Makes room for `needed` more characters on the line under -vba,
    // ending the line when they do not fit.
    void makeRoom(std::size_t needed);
    // Ends the physical line with a continuation, or under -vba, at the
    // statement's last line, ends the statement.
    void endLine();
    // Ends a physical line inside a line of text (-vba, a long line).
    void cutLine();
    // Opens a string literal where none is open.
    void openString();
    // Writes the line's start where nothing is written yet.
    void startLine();
    // Decoding of UTF-8 under -chrw.
    void decodeByte(unsigned char byte);
    void character(std::uint32_t code);
    // Writes the bytes of an unfinished sequence as Chr calls.
    void settle();

    OutputForm form_;
    bool decode_ = false;          // characters outside ASCII as ChrW
    bool surrogates_ = false;      // UTF-8 of surrogate halves is valid (UTF-16 files)
    std::string lineEnd_;          // " & vbCrLf" under -nl, else empty
    std::string restartPrefix_;    // "NAME = NAME & "
    std::size_t reserve_ = 0;      // characters that end a line from a string
    Place place_ = Place::LineStart;
    std::size_t column_ = 0;
    int line_ = 1;                 // physical line of the statement, from 1
    bool restart_ = false;         // the next line starts a new statement
    bool cut_ = false;             // the next line goes on with the line of text before
    // An unfinished UTF-8 sequence.
    unsigned char pending_[4] = {};
    int pendingCount_ = 0;
    int pendingNeeded_ = 0;
    std::uint32_t code_ = 0;
};
