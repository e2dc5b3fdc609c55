#include "support/text_model.h"

#include <cstdio>

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
