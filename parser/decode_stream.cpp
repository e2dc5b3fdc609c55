#include "parser/decode_stream.h"

#include <cstdint>
#include <cstring>

#include "parser/decode_cursor.h"
#include "parser/decode_pieces.h"
#include "parser/decode_text.h"
#include "parser/decode_tokens.h"

namespace {

using decode::Place;
using decode::Token;
using decode::TokenKind;

bool isOperand(TokenKind kind) {
    return kind == TokenKind::Literal || kind == TokenKind::LineEndConstant || kind == TokenKind::Bytes ||
           kind == TokenKind::Call;
}

class StreamDecoder {
public:
    StreamDecoder(platform::TextInputStream& in, platform::TextOutputStream& out)
        : cursor_(in), tokens_(cursor_), text_(out) {}

    bool run(DecodeStop& stop) {
        if (!expression()) {
            stop.line = failed_.line;
            stop.column = failed_.column;
            return false;
        }
        text_.finish();
        return true;
    }

private:
    // What a statement's body reads next.
    enum class Wanted {
        Operand,
        Operator,           // after an operand: "&", " _", the line end or the end
        OperatorAfterLines, // after " _" and the empty lines that follow it: "&"
    };

    bool fail(Place where) {
        failed_ = where;
        return false;
    }
    bool fail(const Token& token) { return fail(token.place); }
    bool isName(const Token& token) const {
        return token.kind == TokenKind::Name && tokens_.nameLength() == nameLength_ &&
               std::memcmp(tokens_.name(), name_, nameLength_) == 0;
    }

    // The first statement's start: "=" or NAME "=".
    bool firstStatementStart() {
        Token token = tokens_.next();
        if (token.kind == TokenKind::Name) {
            nameLength_ = tokens_.nameLength();
            std::memcpy(name_, tokens_.name(), nameLength_);
            token = tokens_.next();
        }
        return token.kind == TokenKind::Equals || fail(token);
    }
    // A further statement's start: NAME "=" NAME "&", NAME the first's.
    bool nextStatementStart(const Token& first) {
        if (nameLength_ == 0 || !isName(first)) return fail(first);
        Token token = tokens_.next();
        if (token.kind != TokenKind::Equals) return fail(token);
        token = tokens_.next();
        if (!isName(token)) return fail(token);
        token = tokens_.next();
        return token.kind == TokenKind::Ampersand || fail(token);
    }
    // Ends the current line of text: CR LF, unless its last operand was a
    // line-end constant, which has ended it already.
    void endTextLine() {
        if (!lineEndedByConstant_) text_.lineEnds(1);
        lineEndedByConstant_ = false;
    }
    // Writes an operand whose first token is read.
    bool operand(const Token& token) {
        std::uint32_t value = 0;
        Place where;
        if (token.kind == TokenKind::Call && !tokens_.argument(token.limit, value, where)) return fail(where);
        if (statementBreakPending_) endTextLine();
        statementBreakPending_ = false;
        lineEndedByConstant_ = token.kind == TokenKind::LineEndConstant;
        if (token.kind == TokenKind::Literal) {
            return tokens_.literal(text_) || fail(cursor_.here());
        }
        if (token.kind != TokenKind::Call) {
            text_.bytes(token.bytes, token.size);
        } else if (token.limit == 0xFF) {
            const char byte = static_cast<char>(value);
            text_.bytes(&byte, 1);
        } else {
            text_.codeUnit(value);
        }
        return true;
    }
    // The operands of one statement, over its physical lines. True at its
    // end, `more` telling whether a line end follows it.
    bool statementBody(bool& more) {
        Wanted wanted = Wanted::Operand;
        for (;;) {
            // The default form's lines, their pieces taken whole.
            if (wanted == Wanted::OperatorAfterLines) {
                // The continuation before them has ended the line before.
                if (const std::size_t lines = decode::passContinuationLines(cursor_)) text_.lineEnds(lines);
                if (decode::passOperatorAndQuote(cursor_)) {
                    Token literal;
                    literal.kind = TokenKind::Literal;
                    if (!operand(literal)) return false;
                    wanted = Wanted::Operator;
                }
            }
            if (wanted == Wanted::Operator && decode::passContinuation(cursor_)) {
                endTextLine();
                wanted = Wanted::OperatorAfterLines;
                continue;
            }
            const Token token = tokens_.next();
            switch (wanted) {
                case Wanted::Operand:
                    if (token.kind == TokenKind::Continuation) {
                        // After an operator: the text line goes on, also
                        // across the end of the previous statement.
                        statementBreakPending_ = false;
                        break;
                    }
                    if (!isOperand(token.kind)) return fail(token);
                    if (!operand(token)) return false;
                    wanted = Wanted::Operator;
                    break;
                case Wanted::Operator:
                    if (token.kind == TokenKind::LineEnd || token.kind == TokenKind::End) {
                        more = token.kind == TokenKind::LineEnd;
                        return true;
                    }
                    [[fallthrough]];
                case Wanted::OperatorAfterLines:
                    // Lines holding " _" alone are empty lines of text; then
                    // the expression goes on with "&".
                    if (token.kind == TokenKind::Continuation) {
                        endTextLine();
                        wanted = Wanted::OperatorAfterLines;
                    } else if (token.kind == TokenKind::Ampersand) {
                        wanted = Wanted::Operand;
                    } else {
                        return fail(token);
                    }
                    break;
            }
        }
    }
    bool expression() {
        if (!firstStatementStart()) return false;
        bool more = false;
        if (!statementBody(more)) return false;
        // The line end after the last statement is the file's, not text.
        while (more) {
            const Token first = tokens_.next();
            if (first.kind == TokenKind::End) return true;
            statementBreakPending_ = true;
            if (!nextStatementStart(first)) return false;
            if (!statementBody(more)) return false;
        }
        return true;
    }

    decode::Cursor cursor_;
    decode::Tokenizer tokens_;
    decode::TextWriter text_;
    Place failed_;
    char name_[decode::kLongestName];
    std::size_t nameLength_ = 0;
    bool lineEndedByConstant_ = false;
    bool statementBreakPending_ = false;
};

}  // namespace

DecodeResult decodeStream(platform::TextInputStream& in, platform::TextOutputStream& out, ByteOrderMark mark,
                          DecodeStop& stop) {
    // Only a UTF-8 mark is kept in front of the text; after a UTF-16 one
    // the stream delivers the expression as UTF-8.
    if (mark != ByteOrderMark::Ignore && in.skipByteOrderMark() == platform::ByteOrderMarkKind::Utf8 &&
        mark == ByteOrderMark::Keep) {
        out.writeRaw(platform::kUtf8ByteOrderMark, platform::kUtf8ByteOrderMarkSize);
    }
    bool decoded;
    {
        // The decoder gives the stream back what it passed before the
        // stream is asked about its state.
        StreamDecoder decoder(in, out);
        decoded = decoder.run(stop);
    }
    if (in.hasError()) return DecodeResult::ReadFailed;
    return decoded ? DecodeResult::Decoded : DecodeResult::NotExpression;
}
