// The tokens of an expression, read from the decoder's cursor as they come:
// nothing of the input is held but the name being read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "parser/decode_cursor.h"
#include "parser/decode_text.h"

namespace decode {

// The longest name read: VB's limit for an identifier.
constexpr std::size_t kLongestName = 255;

enum class TokenKind {
    Literal,          // a string literal's opening quote, passed: literal() reads the rest
    LineEndConstant,  // vbCrLf, vbNewLine, vbLf, vbCr; `bytes` their value
    Bytes,            // vbNullChar; `bytes` its value
    Call,             // ChrW or Chr: argument() reads "(N)"; `limit` its largest N
    Ampersand,
    Equals,
    Name,             // any other identifier: name() holds it, lower-cased
    Continuation,     // " _" with the line end after it
    LineEnd,
    End,
    Invalid,          // no token starts here, or a name longer than kLongestName
};

struct Token {
    TokenKind kind = TokenKind::Invalid;
    // Where the token begins (blanks before it skipped).
    Place place;
    const char* bytes = nullptr;
    std::size_t size = 0;
    std::uint32_t limit = 0;
};

class Tokenizer {
public:
    explicit Tokenizer(Cursor& cursor) : in_(cursor) {}

    // Skips the blanks, then reads the next token.
    Token next();
    // Writes the rest of a literal (its doubled quotes as one) to `text`
    // as it is read, and passes its closing quote. False, the cursor left
    // at the byte, when a line end, a CR, a NUL or the end comes first.
    bool literal(TextWriter& text);
    // Reads a call's "(" N ")", N decimal or &H hexadecimal and at most
    // `limit`. False, with `where` the place it stops being one, otherwise.
    bool argument(std::uint32_t limit, std::uint32_t& value, Place& where);
    // The last Name token, lower-cased; valid until the next token.
    const char* name() const { return word_; }
    std::size_t nameLength() const { return wordLength_; }

private:
    // Reads a word: a constant, a call or a name.
    void word(Token& token);
    bool continuation();

    Cursor& in_;
    char word_[kLongestName + 1];
    std::size_t wordLength_ = 0;
};

}  // namespace decode
