#include "support/text_model.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/utf8.h"

std::string textModeDecode(const std::string& raw) {
    std::string decoded;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == 0x1A) break;
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        decoded += c;
    }
    return decoded;
}

std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string withoutLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\n') out += c;
    return out;
}

std::string withLineEnds(const std::string& text, const std::string& lineEnd) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n') {
            out += lineEnd;
        } else {
            out += c;
        }
    }
    return out;
}

std::string utf16AsUtf8(const std::string& raw, bool bigEndian) {
    std::vector<std::uint32_t> units;
    for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
        unsigned a = static_cast<unsigned char>(raw[i]);
        unsigned b = static_cast<unsigned char>(raw[i + 1]);
        units.push_back(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    std::string out;
    auto put = [&](std::uint32_t code) { platform::appendUtf8(out, code); };
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            put(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            put(u);
        }
    }
    if (raw.size() % 2 == 1) put(0xFFFD);
    return out;
}

std::string joinedSurrogates(const std::string& text) {
    std::string out;
    auto half = [&](std::size_t i, unsigned char low, unsigned char high) {
        return i + 2 < text.size() && static_cast<unsigned char>(text[i]) == 0xED &&
               static_cast<unsigned char>(text[i + 1]) >= low && static_cast<unsigned char>(text[i + 1]) <= high &&
               (static_cast<unsigned char>(text[i + 2]) & 0xC0) == 0x80;
    };
    auto unitAt = [&](std::size_t i) {
        return 0xD000u | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
               (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
    };
    for (std::size_t i = 0; i < text.size();) {
        if (half(i, 0xA0, 0xAF) && half(i + 3, 0xB0, 0xBF)) {
            std::uint32_t code = 0x10000 + ((unitAt(i) - 0xD800) << 10) + (unitAt(i + 3) - 0xDC00);
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
            i += 6;
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string expectedOutput(const std::string& text) {
    std::string out = "\t= \"";
    bool open = true;
    for (char c : text) {
        if (c == '\n') {
            out += open ? "\" _\r\n" : "\t_\r\n";
            open = false;
            continue;
        }
        if (c == '\r' || c == '\0') {
            // Neither can stand inside a literal: the constant goes between
            // two strings, or starts the line's operands.
            out += open ? "\" & " : "\t& ";
            out += c == '\r' ? "vbCr" : "vbNullChar";
            out += " & \"";
            open = true;
            continue;
        }
        if (!open) out += "\t& \"";
        open = true;
        out += c;
        if (c == '"') out += c;
    }
    out += open ? "\"\r\n" : "\t& \"\"\r\n";
    return out;
}

std::string escaped(const std::string& bytes) {
    std::string out;
    char hex[8];
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}
