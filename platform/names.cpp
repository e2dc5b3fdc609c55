#include "platform/names.h"

#include <algorithm>
#include <cstring>

namespace platform {

bool equalIgnoringCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    }
    return i == a.size() && b[i] == '\0';
}

std::string foldedCase(std::string name) {
    for (char& c : name) c = lowerAscii(c);
    return name;
}

bool nameLess(const std::string& a, const std::string& b) {
    std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        unsigned char x = static_cast<unsigned char>(lowerAscii(a[i]));
        unsigned char y = static_cast<unsigned char>(lowerAscii(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

bool wildcardMatch(const char* pattern, const char* name) {
    // "*.*" stands for every name, as it does on Windows.
    if (std::strcmp(pattern, "*.*") == 0) return true;

    // Greedy matching: a star first takes nothing; on a mismatch the most
    // recent star takes one more character and matching resumes after it.
    // Earlier stars never need revisiting, so the cost stays polynomial.
    const char* p = pattern;
    const char* n = name;
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*n != '\0') {
        if (*p == '*') {
            starPattern = ++p;
            starName = n;
        } else if (*p != '\0' && (*p == '?' || lowerAscii(*p) == lowerAscii(*n))) {
            ++p;
            ++n;
        } else if (starPattern != nullptr) {
            p = starPattern;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    return *p == '\0';
}

}  // namespace platform
