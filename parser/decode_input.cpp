#include "parser/decode_input.h"

#include <cstring>

#include "platform/text_input.h"
#include "platform/text_output.h"

namespace {

// Appends a run of the input stream as the stream delivers it: each CR LF
// pair in it as one line feed.
void appendAsRead(std::string& to, const char* run, std::size_t length) {
    const char* end = run + length;
    while (run < end) {
        const void* cr = std::memchr(run, '\r', static_cast<std::size_t>(end - run));
        const char* stop = cr != nullptr ? static_cast<const char*>(cr) : end;
        to.append(run, static_cast<std::size_t>(stop - run));
        if (stop == end) return;
        const bool pair = stop + 1 < end && stop[1] == '\n';
        to += pair ? '\n' : '\r';
        run = stop + (pair ? 2 : 1);
    }
}

}  // namespace

bool readDecodedInput(platform::TextInputStream& in, ByteOrderMark mark, std::string& text, DecodeStop& stop) {
    in.reset();
    // A UTF-16 expression is read as the stream decodes it; only a UTF-8
    // mark is kept in front of the text.
    const bool marked =
        mark != ByteOrderMark::Ignore && in.skipByteOrderMark() == platform::ByteOrderMarkKind::Utf8;
    std::string expression;
    for (;;) {
        char* run = nullptr;
        const std::size_t length = in.textRun(run);
        if (length != 0) {
            // Each CR LF pair of a run stands for one line feed.
            appendAsRead(expression, run, length);
            in.take(length);
            continue;
        }
        const int c = in.getByte();
        if (c == platform::TextInputStream::kEnd) break;
        expression += static_cast<char>(c);
    }
    if (in.hasError()) return false;
    if (!decodeExpression(expression, text, stop)) {
        text.clear();
        return false;
    }
    if (marked && mark == ByteOrderMark::Keep) text.insert(0, platform::kUtf8ByteOrderMark, platform::kUtf8ByteOrderMarkSize);
    return true;
}

void writeDecodedText(platform::TextOutputStream& out, const std::string& text) {
    out.flush();
    out.clearError();
    out.resetByteCount();
    out.writeRaw(text.data(), text.size());
}
