#include "scanner/form_writer.h"

#include <cstring>
#include <limits>

#include "scanner/ascii_run.h"
#include "scanner/scanner_state.h"

// The short steps of the writer, inlined into their callers.
#if defined(__GNUC__)
#define TXT2VB_FORM_STEP inline __attribute__((always_inline))
#elif defined(_MSC_VER)
#define TXT2VB_FORM_STEP __forceinline
#else
#define TXT2VB_FORM_STEP inline
#endif

namespace {

// The second byte of a UTF-8 sequence is narrowed by its first byte, so
// that no character has two encodings and none lies beyond U+10FFFF.
struct LeadByte {
    unsigned char needed;  // continuation bytes, 0: not a lead byte
    unsigned char low;
    unsigned char high;
};
struct LeadBytes {
    LeadByte of[256];
};
constexpr LeadBytes buildLeadBytes() {
    LeadBytes leads{};
    for (int byte = 0xC2; byte <= 0xDF; ++byte) leads.of[byte] = {1, 0x80, 0xBF};
    for (int byte = 0xE1; byte <= 0xEF; ++byte) leads.of[byte] = {2, 0x80, 0xBF};
    leads.of[0xE0] = {2, 0xA0, 0xBF};
    leads.of[0xED] = {2, 0x80, 0x9F};  // no surrogate halves
    leads.of[0xF0] = {3, 0x90, 0xBF};
    for (int byte = 0xF1; byte <= 0xF3; ++byte) leads.of[byte] = {3, 0x80, 0xBF};
    leads.of[0xF4] = {3, 0x80, 0x8F};
    return leads;
}
constexpr LeadBytes kLeadBytes = buildLeadBytes();

constexpr LeadByte leadByte(unsigned char byte, bool surrogates) {
    LeadByte lead = kLeadBytes.of[byte];
    if (surrogates && byte == 0xED) lead.high = 0xBF;
    return lead;
}

bool isContinuation(unsigned char byte) { return byte >= 0x80 && byte <= 0xBF; }

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Each byte's two hex digits.
struct HexPairs {
    char of[256][2];
};
constexpr HexPairs buildHexPairs() {
    HexPairs pairs{};
    for (int byte = 0; byte < 256; ++byte) {
        pairs.of[byte][0] = kHexDigits[byte >> 4];
        pairs.of[byte][1] = kHexDigits[byte & 15];
    }
    return pairs;
}
constexpr HexPairs kHexPairs = buildHexPairs();

// "ChrW(&HXXXX)" at `to`, 12 characters.
TXT2VB_FORM_STEP void chrWCall(char* to, std::uint32_t unit) {
    std::memcpy(to, "ChrW(&H", 7);
    std::memcpy(to + 7, kHexPairs.of[(unit >> 8) & 0xFF], 2);
    std::memcpy(to + 9, kHexPairs.of[unit & 0xFF], 2);
    to[11] = ')';
}

constexpr std::size_t kChrWCall = 12;
constexpr std::size_t kChrCall = 9;  // "Chr(&HXX)"

// A lead byte as the run loop checks and decodes its sequence at once, in
// the four bytes from the lead read as one number, the lead in its high
// byte.
struct RunLead {
    std::uint32_t value;   // the bits of the four bytes that carry the character's value
    std::uint32_t mask;    // the high bits of the third and fourth bytes where the sequence has them
    std::uint32_t expect;  // what they must be (continuation bytes); for a byte that leads nothing,
                           // a test the lead itself fails
    std::uint8_t low;      // the second byte's bounds: low to low + span
    std::uint8_t span;
    std::uint8_t length;   // bytes of the sequence
    std::uint8_t shift;    // 6 x the bytes it has fewer than four
};
struct RunLeads {
    RunLead of[256];
};
constexpr RunLeads buildRunLeads(bool surrogates) {
    RunLeads leads{};
    for (int byte = 0; byte < 256; ++byte) {
        const LeadByte lead = leadByte(static_cast<unsigned char>(byte), surrogates);
        RunLead& run = leads.of[byte];
        if (lead.needed == 0) {
            run.mask = 0x80000000u;  // the lead is at or above 0x80
            run.expect = 0;
            continue;
        }
        run.value = (0x3Fu >> lead.needed) << 24 | 0x003F3F3Fu;
        run.mask = lead.needed == 1 ? 0 : lead.needed == 2 ? 0xC000u : 0xC0C0u;
        run.expect = run.mask & 0x80808080u;
        run.low = lead.low;
        run.span = static_cast<std::uint8_t>(lead.high - lead.low);
        run.length = static_cast<std::uint8_t>(lead.needed + 1);
        run.shift = static_cast<std::uint8_t>(6 * (3 - lead.needed));
    }
    return leads;
}
constexpr RunLeads kRunLeads[2] = {buildRunLeads(false), buildRunLeads(true)};

// The character that the value bits `value` (six at most in each byte, the
// lead's in the high one) of a sequence `shift` / 6 bytes short of four
// make: the bytes' bits side by side, two pairs of bytes, then the pairs.
TXT2VB_FORM_STEP std::uint32_t codeOf(std::uint32_t value, unsigned shift) {
    const std::uint32_t pairs = (value & 0x003F003Fu) | (value & 0x3F003F00u) >> 2;
    return ((pairs & 0xFFFu) | (pairs >> 4 & 0xFFF000u)) >> shift;
}

// " & ChrW(&HXXXX)", 15 characters, and one byte more that the next piece
// writes over or that lies past the output.
constexpr char kCallPiece[] = " & ChrW(&H0000))";
constexpr std::int64_t kCallPieceLength = 15;
TXT2VB_FORM_STEP void callPiece(char* to, std::uint32_t unit) {
    std::memcpy(to, kCallPiece, 16);
    std::memcpy(to + 10, kHexPairs.of[(unit >> 8) & 0xFF], 2);
    std::memcpy(to + 12, kHexPairs.of[unit & 0xFF], 2);
}

// The run loop's place: the input at `p`, the output at `o`, the columns
// the line may still take, 1 while a string is open.
struct RunCursor {
    const char* p;
    char* o;
    std::int64_t room;
    std::int64_t inString;
};

// The run loop writes at most this many bytes per input byte (a two-byte
// character after a string: "\" & ChrW(&HXXXX)") before `stop`; the piece
// that crosses it up to 23 more (the two halves after a string), and a
// piece stores up to 15 bytes past its end (an ASCII run copied 16 bytes
// at a time).
constexpr std::size_t kRunOutputPerByte = 8;
constexpr std::size_t kRunSlack = 64;
// A piece loads 16 bytes of an ASCII run and then 4 of a character without
// looking where the input ends: it begins this far from the end of what can
// be read. The last bytes of a run are read from a copy with bytes 0xFF
// after them, which neither go on an ASCII run nor a UTF-8 sequence.
constexpr std::ptrdiff_t kFarFromEnd = 20;
constexpr std::size_t kTailCopy = 64;

// Copies `length` bytes, at most 32, without a call.
TXT2VB_FORM_STEP void copyShort(char* to, const char* from, std::size_t length) {
    if (length >= 16) {
        platform::copyFromBothEnds<platform::SixteenBytes>(to, from, length);
    } else if (length >= 8) {
        platform::copyFromBothEnds<std::uint64_t>(to, from, length);
    } else if (length >= 4) {
        platform::copyFromBothEnds<std::uint32_t>(to, from, length);
    } else if (length != 0) {
        to[0] = from[0];
        to[length / 2] = from[length / 2];
        to[length - 1] = from[length - 1];
    }
}

// One piece of a run, written at at.o as the writer's steps would write it:
// an ASCII run, then a character when one follows before `stop`. False
// where the piece at at.p, after what was written, needs the writer's
// steps. At least kFarFromEnd bytes can be read from at.p, whatever `end`
// says.
TXT2VB_FORM_STEP bool runPiece(RunCursor& at, const char* stop, const char* end, const RunLead* leads) {
    const char* p = at.p;
    char* o = at.o;
    if (static_cast<unsigned char>(*p) < 0x80) {
        std::int64_t length = static_cast<std::int64_t>(ascii_run::prefix16(p));
        const bool whole16 = length < 16;  // the run ends within the 16 bytes read
        if (!whole16) {
            length = ascii_run::end(p, end) - p;
            if (length > stop - p) length = stop - p;
        }
        const std::int64_t width = length + 4 - 4 * at.inString;
        // literal() opens the string and takes the run whole.
        if (width + 3 > at.room) return false;
        std::memcpy(o, " & \"", 4);
        o += 4 - 4 * at.inString;
        if (whole16) {
            std::memcpy(o, p, 16);
        } else {
            platform::copyBytes(o, p, static_cast<std::size_t>(length));
        }
        at.o = o + length;
        at.room -= width;
        at.inString = 1;
        at.p = p + length;
        // After a long run fewer than kFarFromEnd bytes may be left: the
        // next piece looks again.
        if (!whole16 || at.p >= stop) return true;
        p = at.p;
        o = at.o;
    }
    // A character: its sequence whole and valid, its call or the calls of
    // its two UTF-16 halves after the string's end.
    const auto byte = [](const char* b) { return static_cast<std::uint32_t>(static_cast<unsigned char>(*b)); };
    const std::uint32_t word = byte(p) << 24 | byte(p + 1) << 16 | byte(p + 2) << 8 | byte(p + 3);
    const RunLead& lead = leads[word >> 24];
    const std::uint32_t second = (word >> 16) & 0xFF;
    const bool wrong = ((word & lead.mask) ^ lead.expect) != 0;
    if (wrong | (static_cast<std::uint8_t>(second - lead.low) > lead.span)) return false;
    const std::uint32_t code = codeOf(word & lead.value, lead.shift);
    // constant() makes room for the call after a string's end.
    if (code < 0x10000) {
        if (kCallPieceLength + 1 > at.room) return false;
        *o = '"';
        o += at.inString;
        callPiece(o, code);
        at.o = o + kCallPieceLength;
        at.room -= kCallPieceLength + at.inString;
    } else {
        if (2 * kCallPieceLength + 1 > at.room) return false;
        *o = '"';
        o += at.inString;
        callPiece(o, 0xD7C0 + (code >> 10));
        callPiece(o + kCallPieceLength, 0xDC00 + (code & 0x3FF));
        at.o = o + 2 * kCallPieceLength;
        at.room -= 2 * kCallPieceLength + at.inString;
    }
    at.inString = 0;
    at.p = p + lead.length;
    return true;
}

constexpr std::size_t kEmptyLinesPiece = 4096;

}  // namespace

void FormWriter::begin(const OutputForm& form, bool utf16) {
    form_ = form;
    if (form_.vba && form_.variable.empty()) form_.variable = "s";
    decode_ = form.chrw || utf16;
    surrogates_ = utf16;
    lineEnd_.clear();
    if (form.lineEnd != LineEndConstant::None) lineEnd_ = std::string(" & ") + lineEndConstantName(form.lineEnd);
    restartPrefix_ = form_.variable + " = " + form_.variable + " & ";
    // A line that holds a string ends with the quote, then the line end's
    // constant or, where a long line is cut, " &", then the continuation.
    const std::size_t reserve = 1 + (lineEnd_.size() > 2 ? lineEnd_.size() : 2) + 2;
    lineRoom_ = form_.vba ? static_cast<std::int64_t>(kVbaLineLength - reserve)
                          : std::numeric_limits<std::int64_t>::max() / 2;
    place_ = Place::LineStart;
    room_ = lineRoom_;
    line_ = 1;
    restart_ = false;
    cut_ = false;
    pendingCount_ = 0;
    pendingNeeded_ = 0;
    continueLine_ = " _\r\n";
    endStatement_ = "\r\n";
    closeLine_ = "\"" + lineEnd_ + continueLine_;
    closeStatement_ = "\"" + lineEnd_ + endStatement_;

    // An empty line holds the line end's constant, or under -vba an empty
    // literal, else only the continuation.
    // The cycle is repeated to some KiB, so that a long run of empty lines
    // goes out in large pieces.
    const std::string body = !lineEnd_.empty() ? lineEnd_.substr(3) : "\"\"";
    emptyCycle_.clear();
    emptyAt_.assign(1, 0);
    const int cycle = form_.vba ? kVbaLinesPerStatement : 1;
    for (int line = 1; emptyCycle_.size() < kEmptyLinesPiece || (line - 1) % cycle != 0; ++line) {
        if (!form_.vba) {
            emptyCycle_ += lineEnd_.empty() ? "\t_\r\n" : "\t& " + body + " _\r\n";
        } else {
            const int inStatement = (line - 1) % cycle + 1;
            emptyCycle_ += (inStatement == 1 ? restartPrefix_ : std::string("\t& ")) + body;
            emptyCycle_ += inStatement == kVbaLinesPerStatement ? "\r\n" : " _\r\n";
        }
        emptyAt_.push_back(emptyCycle_.size());
    }
}

TXT2VB_FORM_STEP void FormWriter::emit(const char* data, std::size_t length) {
    if (staging_ && length <= kStageSize - staged_) {
        platform::copyBytes(stage_ + staged_, data, length);
        staged_ += length;
        return;
    }
    // What is staged goes first.
    if (staged_ != 0) flushStage();
    scan_out->writeRaw(data, length);
}

void FormWriter::flushStage() {
    scan_out->writeRaw(stage_, staged_);
    staged_ = 0;
}

TXT2VB_FORM_STEP void FormWriter::put(const char* data, std::size_t length) {
    emit(data, length);
    room_ -= static_cast<std::int64_t>(length);
}

void FormWriter::prologue() {
    if (form_.variable.empty()) {
        put("\t= \"", 4);
    } else {
        put(form_.variable);
        put(" = \"", 4);
    }
    place_ = Place::InString;
}

void FormWriter::startLine() {
    if (cut_) {
        // The operand goes on from the line before, whose "&" joins it.
        put("\t", 1);
        cut_ = false;
    } else if (restart_) {
        put(restartPrefix_);
        restart_ = false;
    } else {
        put("\t& ", 3);
    }
}

void FormWriter::endLineWith(const std::string& going, const std::string& ending) {
    if (form_.vba && line_ >= kVbaLinesPerStatement) {
        emit(ending.data(), ending.size());
        restart_ = true;
        line_ = 1;
    } else {
        emit(going.data(), going.size());
        ++line_;
    }
    room_ = lineRoom_;
    place_ = Place::LineStart;
}

TXT2VB_FORM_STEP void FormWriter::makeRoom(std::size_t needed) {
    if (!form_.vba || place_ == Place::LineStart) return;
    if (static_cast<std::int64_t>(needed) <= room_) return;
    if (place_ == Place::InString) put("\"", 1);
    cutLine();
}

void FormWriter::cutLine() {
    // A line of text too long for one physical line goes on after an
    // operator, so that reading the expression back joins the pieces
    // into one line of text; where a statement ends, the next one goes
    // on with a line that holds no operand.
    if (form_.vba && line_ >= kVbaLinesPerStatement) {
        emit("\r\n", 2);
        emit(restartPrefix_.data(), restartPrefix_.size());
        emit("_\r\n", 3);
        restart_ = false;
        line_ = 2;
    } else {
        emit(" & _\r\n", 6);
        ++line_;
    }
    cut_ = true;
    room_ = lineRoom_;
    place_ = Place::LineStart;
}

TXT2VB_FORM_STEP void FormWriter::openString() {
    if (place_ == Place::InString) return;
    if (place_ == Place::LineStart && !cut_ && !restart_) {
        put("\t& \"", 4);
    } else if (place_ == Place::LineStart) {
        startLine();
        put("\"", 1);
    } else {
        put(" & \"", 4);
    }
    place_ = Place::InString;
}

void FormWriter::literal(const char* data, std::size_t length) {
    while (length > 0) {
        // Room for the opening of a string and one character.
        makeRoom(place_ == Place::InString ? 1 : 5);
        openString();
        // Most runs fit the line whole, short of the columns where a cut
        // is sought.
        std::size_t take = length;
        if (form_.vba && static_cast<std::int64_t>(length) + 3 > room_) {
            // A byte that may begin a UTF-8 sequence needs room for the
            // three continuation bytes that may follow it, so that no
            // sequence is split; the line is cut before it otherwise. The
            // rule holds at the line's last columns, wherever a call ends.
            const std::size_t hard = room_ > 0 ? static_cast<std::size_t>(room_) : 0;
            const std::size_t soft = hard > 3 ? hard - 3 : 0;
            take = length < hard ? length : hard;
            for (std::size_t i = soft; i < take; ++i) {
                if (static_cast<unsigned char>(data[i]) >= 0xC0) {
                    take = i;
                    break;
                }
            }
            if (take == 0) {
                put("\"", 1);
                cutLine();
                continue;
            }
        }
        put(data, take);
        data += take;
        length -= take;
    }
}

TXT2VB_FORM_STEP void FormWriter::constant(char* text, std::size_t length, bool reopen) {
    makeRoom(4 + length + (reopen ? 4 : 0));
    if (place_ == Place::InString) {
        std::memcpy(text - 4, "\" & ", 4);
        put(text - 4, length + 4);
    } else if (place_ == Place::AfterConstant) {
        std::memcpy(text - 3, " & ", 3);
        put(text - 3, length + 3);
    } else {
        startLine();
        put(text, length);
    }
    place_ = Place::AfterConstant;
    if (reopen) {
        put(" & \"", 4);
        place_ = Place::InString;
    }
}

void FormWriter::text(const char* data, std::size_t length) {
    const char* p = data;
    const char* const end = data + length;
    if (!decode_) {
        // Most runs go on the open string's line whole, short of the
        // columns where a cut is sought.
        if (place_ == Place::InString && (!form_.vba || static_cast<std::int64_t>(length) + 3 <= room_)) {
            put(data, length);
        } else {
            literal(data, length);
        }
        return;
    }
    staging_ = true;
    // A sequence begun in an earlier call goes on byte by byte.
    while (p < end && pendingCount_ != 0) decodeByte(static_cast<unsigned char>(*p++));
    if (p < end) runs(p, end);
    if (staged_ != 0) flushStage();
    staging_ = false;
}

const char* FormWriter::slowPiece(const char* p, const char* end) {
    if (static_cast<unsigned char>(*p) >= 0x80) return characters(p, end);
    const char* ascii = ascii_run::end(p, end);
    literal(p, static_cast<std::size_t>(ascii - p));
    return ascii;
}

void FormWriter::runs(const char* p, const char* const end) {
    const RunLead* const leads = kRunLeads[surrogates_ ? 1 : 0].of;
    while (p < end) {
        if (kStageSize - staged_ < kStageSize / 2) flushStage();
        // A line that goes on a cut or restarts the statement begins the
        // writer's way.
        if (place_ == Place::LineStart && (cut_ || restart_)) {
            p = slowPiece(p, end);
            continue;
        }
        // Input for which the stage holds the output.
        const std::size_t fits = (kStageSize - staged_ - kRunSlack) / kRunOutputPerByte;
        const char* const stop = static_cast<std::size_t>(end - p) < fits ? end : p + fits;
        char* const start = stage_ + staged_;
        // At a line's start, the first piece is written as after a
        // constant, its " & " then made "\t& ".
        const bool lineStart = place_ == Place::LineStart;
        RunCursor at{p, start, room_, place_ == Place::InString ? 1 : 0};
        bool settled = true;  // false: the piece at at.p is left to the writer's steps
        // The pieces that begin far from the end are read where they are,
        // the last bytes of the run from a copy.
        const char* const far = end - stop >= kFarFromEnd ? stop : end - p > kFarFromEnd ? end - kFarFromEnd : p;
        while (at.p < far && (settled = runPiece(at, stop, stop, leads))) {
        }
        if (settled && stop == end && at.p < end) {
            char tail[kTailCopy];
            std::memset(tail, 0xFF, sizeof tail);
            const std::size_t left = static_cast<std::size_t>(end - at.p);
            copyShort(tail, at.p, left);
            const char* const from = at.p;
            at.p = tail;
            while (at.p < tail + left && (settled = runPiece(at, tail + left, tail + left, leads))) {
            }
            at.p = from + (at.p - tail);
        }
        if (at.o != start) {
            if (lineStart) *start = '\t';
            place_ = at.inString ? Place::InString : Place::AfterConstant;
        }
        staged_ = static_cast<std::size_t>(at.o - stage_);
        room_ = at.room;
        p = settled ? at.p : slowPiece(at.p, end);
    }
}

const char* FormWriter::characters(const char* p, const char* end) {
    while (p < end) {
        const unsigned char byte = static_cast<unsigned char>(*p);
        if (byte < 0x80) break;
        const LeadByte lead = leadByte(byte, surrogates_);
        if (lead.needed == 0) {
            byteCall(byte);
            ++p;
            continue;
        }
        // The bytes after the lead that fit the sequence, within the call.
        const std::size_t left = static_cast<std::size_t>(end - p) - 1;
        std::uint32_t code = byte & (0x3Fu >> lead.needed);
        std::size_t taken = 1;
        while (taken <= lead.needed && taken <= left) {
            const unsigned char next = static_cast<unsigned char>(p[taken]);
            const bool fits = taken == 1 ? (next >= lead.low && next <= lead.high) : isContinuation(next);
            if (!fits) break;
            code = (code << 6) | (next & 0x3Fu);
            ++taken;
        }
        if (taken == lead.needed + 1u) {
            character(code);
            p += taken;
        } else if (taken == left + 1) {
            // The call ends inside the sequence (taken <= 3): the next one
            // goes on.
            for (std::size_t i = 0; i < taken && i < sizeof pending_; ++i) pending_[i] = static_cast<unsigned char>(p[i]);
            pendingCount_ = static_cast<int>(taken);
            pendingNeeded_ = lead.needed;
            code_ = code;
            return end;
        } else {
            // A byte that does not fit ends the sequence: the bytes before
            // it are no character, and it is read again on its own.
            for (std::size_t i = 0; i < taken; ++i) byteCall(static_cast<unsigned char>(p[i]));
            p += taken;
        }
    }
    return p;
}

void FormWriter::decodeByte(unsigned char byte) {
    if (pendingCount_ != 0) {
        const bool second = pendingCount_ == 1;
        const LeadByte lead = leadByte(pending_[0], surrogates_);
        const bool fits = second ? (byte >= lead.low && byte <= lead.high) : isContinuation(byte);
        if (fits) {
            pending_[pendingCount_++] = byte;
            code_ = (code_ << 6) | (byte & 0x3F);
            if (pendingCount_ == pendingNeeded_ + 1) {
                pendingCount_ = 0;
                character(code_);
            }
            return;
        }
        settlePending();
        if (byte < 0x80) {
            const char c = static_cast<char>(byte);
            literal(&c, 1);
            return;
        }
    }
    const LeadByte lead = leadByte(byte, surrogates_);
    if (lead.needed == 0) {
        byteCall(byte);
        return;
    }
    pending_[0] = byte;
    pendingCount_ = 1;
    pendingNeeded_ = lead.needed;
    code_ = byte & (0x3F >> lead.needed);
}

void FormWriter::character(std::uint32_t code) {
    char piece[kJoinRoom + 2 * kChrWCall + 3];
    char* const call = piece + kJoinRoom;
    if (code < 0x10000) {
        chrWCall(call, code);
        constant(call, kChrWCall, false);
        return;
    }
    // Beyond U+FFFF: the two UTF-16 halves, side by side.
    const std::uint32_t offset = code - 0x10000;
    chrWCall(call, 0xD800 + (offset >> 10));
    std::memcpy(call + kChrWCall, " & ", 3);
    chrWCall(call + kChrWCall + 3, 0xDC00 + (offset & 0x3FF));
    constant(call, 2 * kChrWCall + 3, false);
}

void FormWriter::byteCall(unsigned char byte) {
    char piece[kJoinRoom + kChrCall];
    char* const call = piece + kJoinRoom;
    std::memcpy(call, "Chr(&H", 6);
    std::memcpy(call + 6, kHexPairs.of[byte], 2);
    call[8] = ')';
    constant(call, kChrCall, false);
}

void FormWriter::settlePending() {
    const int count = pendingCount_;
    pendingCount_ = 0;
    for (int i = 0; i < count; ++i) byteCall(pending_[i]);
}

void FormWriter::quote() {
    settle();
    makeRoom(place_ == Place::InString ? 2 : 6);
    openString();
    put("\"\"", 2);
}

void FormWriter::lineEnd() {
    if (place_ == Place::InString) {
        // The string's end, the line end's constant and the line's end in
        // one piece.
        endLineWith(closeLine_, closeStatement_);
    } else if (!lineEnd_.empty()) {
        // The constant stands on the line it ends.
        if (place_ == Place::AfterConstant) {
            put(lineEnd_);
        } else {
            startLine();
            put(lineEnd_.data() + 3, lineEnd_.size() - 3);
        }
        endLine();
    } else if (place_ == Place::AfterConstant) {
        endLine();
    } else if (!form_.vba) {
        // An empty line: a line that only continues the expression.
        emit("\t_\r\n", 4);
        ++line_;
    } else {
        // VBA and VB6 want an operand on every line: an empty line is
        // an empty literal, so that the line is still there to read back.
        startLine();
        put("\"\"", 2);
        endLine();
    }
}

void FormWriter::emptyLines(std::size_t count) {
    // Each line is lineEnd() from a line's start: under -vba the line's
    // number in its statement says which line of the cycle it is (the
    // first starts a statement), else every line is the same.
    const std::size_t cycleLines = emptyAt_.size() - 1;
    if (form_.vba) {
        std::size_t line = static_cast<std::size_t>(line_);
        while (count > 0) {
            const std::size_t left = cycleLines + 1 - line;
            const std::size_t lines = count < left ? count : left;
            emit(emptyCycle_.data() + emptyAt_[line - 1], emptyAt_[line - 1 + lines] - emptyAt_[line - 1]);
            line = (line - 1 + lines) % kVbaLinesPerStatement + 1;
            count -= lines;
        }
        line_ = static_cast<std::int64_t>(line);
        restart_ = line == 1;
    } else {
        line_ += static_cast<std::int64_t>(count);
        while (count > 0) {
            const std::size_t lines = count < cycleLines ? count : cycleLines;
            emit(emptyCycle_.data(), emptyAt_[lines]);
            count -= lines;
        }
    }
    room_ = lineRoom_;
    place_ = Place::LineStart;
}

void FormWriter::lineEnds(std::size_t count) {
    settle();
    if (count != 0) {
        lineEnd();
        // The lines after the first are empty, and no cut goes on in them.
        if (count > 1) emptyLines(count - 1);
    }
}

void FormWriter::carriageReturn() {
    settle();
    char piece[] = "    vbCr";
    constant(piece + kJoinRoom, 4, true);
}

void FormWriter::nul() {
    settle();
    char piece[] = "    vbNullChar";
    constant(piece + kJoinRoom, 10, true);
}

void FormWriter::epilogue() {
    settle();
    if (place_ == Place::InString) {
        emit("\"\r\n", 3);
    } else if (place_ == Place::AfterConstant) {
        emit("\r\n", 2);
    } else {
        // The empty last line after a final line end; when a statement has
        // just ended, it is a statement of its own, so that the line end
        // before it is still there to read back.
        startLine();
        emit("\"\"\r\n", 4);
    }
    room_ = lineRoom_;
}
