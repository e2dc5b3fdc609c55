// The conversion rules: each input byte becomes part of a Visual Basic
// string expression, written to scan_out (standard output).
#pragma once

#include <cstddef>

#include "platform/text_output.h"
#include "scanner/engine.h"
#include "scanner/scan_buffer.h"


// "\t= \"", leaving the string open.
void writePrologue();
// Closes the open string, or adds an empty operand when the input ended
// with a line feed, so that the expression is always complete.
void writeEpilogue();

// The fixed pieces, written as the text-mode stream writes them (each line
// feed as CR LF), so that each goes to the buffer as one block.
namespace rule_text {
constexpr char kOpenOperand[] = "\t& \"";
constexpr char kDoubledQuote[] = "\"\"";
constexpr char kCloseAndContinue[] = "\" _\r\n";
constexpr char kBareContinuation[] = "\t_\r\n";
constexpr char kPrologue[] = "\t= \"";
constexpr char kEpilogue[] = "\"\r\n";
constexpr char kEmptyLastOperand[] = "\t& \"\"\r\n";
// A carriage return or a NUL cannot stand inside a string literal (VBScript
// ends the line, or the text, there): each joins the expression as a named
// constant between two strings instead.
constexpr char kCarriageReturnInString[] = "\" & vbCr & \"";
constexpr char kCarriageReturnOperand[] = "\t& vbCr & \"";
constexpr char kNulInString[] = "\" & vbNullChar & \"";
constexpr char kNulOperand[] = "\t& vbNullChar & \"";

template <std::size_t N>
inline void writeFixed(const char (&text)[N]) {
    scan_out->writeRaw(text, N - 1);
}

// A constant joins the open string (or starts the line's operands) and
// opens the next string.
template <std::size_t N, std::size_t M>
inline void joinConstant(const char (&afterString)[N], const char (&asOperand)[M]) {
    if (inString) {
        writeFixed(afterString);
    } else {
        writeFixed(asOperand);
    }
    inString = 1;
}

// `count` bare continuations, in blocks of up to 64.
void writeBareContinuations(std::size_t count);

// A line of the expression that no string has opened yet needs an operand
// of its own before its first character.
inline void openOperandIfNeeded() {
    if (inString == 0) writeFixed(kOpenOperand);
    inString = 1;
}
}  // namespace rule_text

// Rule actions for the match at match_start. They are defined here, and
// forced inline, so that the engine's per-byte path carries no call.
#if defined(__GNUC__)
#define TXT2VB_RULE_ACTION inline __attribute__((always_inline))
#elif defined(_MSC_VER)
#define TXT2VB_RULE_ACTION __forceinline
#else
#define TXT2VB_RULE_ACTION inline
#endif

// Each rule hands its match to formWriter instead while formWriterOn is
// set (a form other than the default one): one test per match.

// Rule 1: a double quote, written doubled.
TXT2VB_RULE_ACTION void ruleQuote() {
    if (formWriterOn) {
        if (!formWriter.quoteOnLine(*scan_out)) formWriter.quote();
        return;
    }
    rule_text::openOperandIfNeeded();
    rule_text::writeFixed(rule_text::kDoubledQuote);
}

// Rule 2: a line feed closes the open string, or continues a line that has
// none, and ends the line of the expression. A match of several line feeds
// (the block path takes a run of them as one) ends one line each: every
// one after the first continues a line with no string.
TXT2VB_RULE_ACTION void ruleNewline() {
    if (formWriterOn) {
        const std::size_t count = static_cast<std::size_t>(match_length);
        if (!formWriter.lineEndAfterString(count, *scan_out)) formWriter.lineEnds(count);
        return;
    }
    if (inString == 1) {
        rule_text::writeFixed(rule_text::kCloseAndContinue);
    } else {
        rule_text::writeFixed(rule_text::kBareContinuation);
    }
    inString = 0;
    if (match_length > 1) rule_text::writeBareContinuations(static_cast<std::size_t>(match_length) - 1);
}

// Rule 3: any other byte, written unchanged inside the string; a carriage
// return or a NUL as its constant between two strings.
TXT2VB_RULE_ACTION void ruleText() {
    textSeen = 1;
    const unsigned char first = static_cast<unsigned char>(*match_start);
    if (formWriterOn) {
        if (match_length == 1 && first == '\r') {
            formWriter.carriageReturn();
        } else if (match_length == 1 && first == '\0') {
            formWriter.nul();
        } else {
            const std::size_t length = static_cast<std::size_t>(match_length);
            if (!formWriter.textOnLine(match_start, length, *scan_out)) formWriter.text(match_start, length);
        }
        return;
    }
    if (first <= '\r' && match_length == 1 && (first == '\r' || first == '\0')) {
        if (first == '\r') {
            rule_text::joinConstant(rule_text::kCarriageReturnInString, rule_text::kCarriageReturnOperand);
        } else {
            rule_text::joinConstant(rule_text::kNulInString, rule_text::kNulOperand);
        }
        return;
    }
    rule_text::openOperandIfNeeded();
    // No line feed reaches this rule, so the bytes go to the buffer as
    // they are, a run of them as one block.
    if (match_length == 1) {
        scan_out->putTextByte(first);
    } else {
        scan_out->writeRaw(match_start, static_cast<std::size_t>(match_length));
    }
}

// Rule 4, the default rule: no state of these tables selects it.
TXT2VB_RULE_ACTION void ruleDefault() { scan_out->write(match_start, static_cast<std::size_t>(match_length)); }
