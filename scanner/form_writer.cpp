#include "scanner/form_writer.h"

#include <cstdio>
#include <cstring>

#include "scanner/scanner_state.h"

namespace {

// The second byte of a UTF-8 sequence is narrowed by its first byte, so
// that no character has two encodings and none lies beyond U+10FFFF.
struct LeadByte {
    int needed;  // continuation bytes, 0: not a lead byte
    unsigned char low;
    unsigned char high;
};
LeadByte leadByte(unsigned char byte, bool surrogates) {
    if (byte >= 0xC2 && byte <= 0xDF) return {1, 0x80, 0xBF};
    if (byte == 0xE0) return {2, 0xA0, 0xBF};
    if (byte == 0xED) return {2, 0x80, static_cast<unsigned char>(surrogates ? 0xBF : 0x9F)};
    if (byte >= 0xE1 && byte <= 0xEF) return {2, 0x80, 0xBF};
    if (byte == 0xF0) return {3, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3) return {3, 0x80, 0xBF};
    if (byte == 0xF4) return {3, 0x80, 0x8F};
    return {0, 0, 0};
}

bool isContinuation(unsigned char byte) { return byte >= 0x80 && byte <= 0xBF; }

// The end of the ASCII bytes from `p`, eight at a time where it can.
const char* asciiRunEnd(const char* p, const char* end) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if ((word & kHighBits) != 0) break;
        p += 8;
    }
    while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
    return p;
}

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
    reserve_ = 1 + (lineEnd_.size() > 2 ? lineEnd_.size() : 2) + 2;
    place_ = Place::LineStart;
    column_ = 0;
    line_ = 1;
    restart_ = false;
    cut_ = false;
    pendingCount_ = 0;
    pendingNeeded_ = 0;
}

void FormWriter::put(const char* data, std::size_t length) {
    scan_out->writeRaw(data, length);
    column_ += length;
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

void FormWriter::endLine() {
    if (form_.vba && line_ >= kVbaLinesPerStatement) {
        scan_out->writeRaw("\r\n", 2);
        restart_ = true;
        line_ = 1;
    } else {
        scan_out->writeRaw(" _\r\n", 4);
        ++line_;
    }
    column_ = 0;
    place_ = Place::LineStart;
}

void FormWriter::makeRoom(std::size_t needed) {
    if (!form_.vba || place_ == Place::LineStart) return;
    if (column_ + needed + reserve_ <= kVbaLineLength) return;
    if (place_ == Place::InString) put("\"", 1);
    cutLine();
}

void FormWriter::cutLine() {
    // A line of text too long for one physical line goes on after an
    // operator, so that reading the expression back joins the pieces
    // into one line of text; where a statement ends, the next one goes
    // on with a line that holds no operand.
    if (form_.vba && line_ >= kVbaLinesPerStatement) {
        scan_out->writeRaw("\r\n", 2);
        scan_out->writeRaw(restartPrefix_.data(), restartPrefix_.size());
        scan_out->writeRaw("_\r\n", 3);
        restart_ = false;
        line_ = 2;
    } else {
        scan_out->writeRaw(" & _\r\n", 6);
        ++line_;
    }
    cut_ = true;
    column_ = 0;
    place_ = Place::LineStart;
}

void FormWriter::openString() {
    if (place_ == Place::InString) return;
    if (place_ == Place::LineStart) {
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
        std::size_t take = length;
        if (form_.vba) {
            // A byte that may begin a UTF-8 sequence needs room for the
            // three continuation bytes that may follow it, so that no
            // sequence is split; the line is cut before it otherwise.
            const std::size_t hard = kVbaLineLength - reserve_ - column_;
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

void FormWriter::constant(const char* text, std::size_t length, bool reopen) {
    makeRoom(4 + length + (reopen ? 4 : 0));
    if (place_ == Place::InString) {
        put("\" & ", 4);
    } else if (place_ == Place::AfterConstant) {
        put(" & ", 3);
    } else {
        startLine();
    }
    put(text, length);
    place_ = Place::AfterConstant;
    if (reopen) {
        put(" & \"", 4);
        place_ = Place::InString;
    }
}

void FormWriter::text(const char* data, std::size_t length) {
    if (!decode_) {
        literal(data, length);
        return;
    }
    const char* end = data + length;
    while (data < end) {
        if (pendingCount_ == 0) {
            const char* ascii = asciiRunEnd(data, end);
            if (ascii != data) {
                literal(data, static_cast<std::size_t>(ascii - data));
                data = ascii;
                continue;
            }
        }
        decodeByte(static_cast<unsigned char>(*data++));
    }
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
        settle();
        if (byte < 0x80) {
            const char c = static_cast<char>(byte);
            literal(&c, 1);
            return;
        }
    }
    const LeadByte lead = leadByte(byte, surrogates_);
    if (lead.needed == 0) {
        char call[16];
        int n = std::snprintf(call, sizeof call, "Chr(&H%02X)", byte);
        constant(call, static_cast<std::size_t>(n), false);
        return;
    }
    pending_[0] = byte;
    pendingCount_ = 1;
    pendingNeeded_ = lead.needed;
    code_ = byte & (0x3F >> lead.needed);
}

void FormWriter::character(std::uint32_t code) {
    char call[32];
    int n;
    if (code < 0x10000) {
        n = std::snprintf(call, sizeof call, "ChrW(&H%04X)", static_cast<unsigned>(code));
    } else {
        // Beyond U+FFFF: the two UTF-16 halves, side by side.
        const std::uint32_t offset = code - 0x10000;
        n = std::snprintf(call, sizeof call, "ChrW(&H%04X) & ChrW(&H%04X)", static_cast<unsigned>(0xD800 + (offset >> 10)),
                          static_cast<unsigned>(0xDC00 + (offset & 0x3FF)));
    }
    constant(call, static_cast<std::size_t>(n), false);
}

void FormWriter::settle() {
    const int count = pendingCount_;
    pendingCount_ = 0;
    for (int i = 0; i < count; ++i) {
        char call[16];
        int n = std::snprintf(call, sizeof call, "Chr(&H%02X)", pending_[i]);
        constant(call, static_cast<std::size_t>(n), false);
    }
}

void FormWriter::quote() {
    settle();
    makeRoom(place_ == Place::InString ? 2 : 6);
    openString();
    put("\"\"", 2);
}

void FormWriter::lineEnds(std::size_t count) {
    settle();
    for (; count > 0; --count) {
        if (!lineEnd_.empty()) {
            // The constant stands on the line it ends.
            if (place_ == Place::InString) {
                put("\"", 1);
                put(lineEnd_);
            } else if (place_ == Place::AfterConstant) {
                put(lineEnd_);
            } else {
                startLine();
                put(lineEnd_.data() + 3, lineEnd_.size() - 3);
            }
            endLine();
        } else if (place_ == Place::InString) {
            put("\"", 1);
            endLine();
        } else if (place_ == Place::AfterConstant) {
            endLine();
        } else if (!form_.vba) {
            // An empty line: a line that only continues the expression.
            scan_out->writeRaw("\t_\r\n", 4);
            ++line_;
        } else {
            // VBA and VB6 want an operand on every line: an empty line is
            // an empty literal, so that the line is still there to read back.
            startLine();
            put("\"\"", 2);
            endLine();
        }
    }
}

void FormWriter::carriageReturn() {
    settle();
    constant("vbCr", 4, true);
}

void FormWriter::nul() {
    settle();
    constant("vbNullChar", 10, true);
}

void FormWriter::epilogue() {
    settle();
    if (place_ == Place::InString) {
        scan_out->writeRaw("\"\r\n", 3);
    } else if (place_ == Place::AfterConstant) {
        scan_out->writeRaw("\r\n", 2);
    } else {
        // The empty last line after a final line end; when a statement has
        // just ended, it is a statement of its own, so that the line end
        // before it is still there to read back.
        startLine();
        scan_out->writeRaw("\"\"\r\n", 4);
    }
    column_ = 0;
}
