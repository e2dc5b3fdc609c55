// Comparing and matching file names the way the tool does on every system:
// ASCII letters ignoring case, every other byte as it is.
#pragma once

#include <string>

namespace platform {

inline char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// True when `a` and the string `b` are equal ignoring ASCII case.
bool equalIgnoringCase(const std::string& a, const char* b);
// `name` with its ASCII letters in lower case: names equal ignoring case
// fold to the same bytes.
std::string foldedCase(std::string name);

// Orders names ignoring ASCII case; names equal that way go by their bytes,
// so the order is total and the same on every run and on every system.
bool nameLess(const std::string& a, const std::string& b);

// True when `pattern` matches `name`: '*' any run, '?' one character,
// letters ignoring ASCII case; "*.*" matches every name, dot or no dot.
bool wildcardMatch(const char* pattern, const char* name);

}  // namespace platform
