#include "driver/shown_name.h"

std::string shownName(const std::string& text) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(text.size());
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            shown += "\\x";
            shown += kDigits[byte >> 4];
            shown += kDigits[byte & 0x0F];
        } else {
            shown += c;
        }
    }
    return shown;
}
