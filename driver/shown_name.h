// Names as the tool's messages show them.
#pragma once

#include <string>

// The text with every byte below 0x20 and the byte 0x7F written as \xHH
// (two upper-case hexadecimal digits), so that a name holding control
// characters cannot act on the terminal. Every other byte is kept.
std::string shownName(const std::string& text);
