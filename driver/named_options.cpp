#include "driver/named_options.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> namedOptions;
std::string valueBuffer;
const char kEmpty[] = "";

void upperCaseInPlace(std::string& text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
}

}  // namespace

void addNamedOption(const char* text) { namedOptions.emplace_back(text); }

void clearNamedOptions() {
    namedOptions.clear();
    namedOptions.shrink_to_fit();
}

int namedOptionCount() { return static_cast<int>(namedOptions.size()); }

const char* namedOptionAt(int index) { return namedOptions.at(static_cast<std::size_t>(index)).c_str(); }

const char* findNamedOption(const char* key, int ignoreCase) {
    if (key == nullptr) return kEmpty;
    std::string wanted(key);
    if (ignoreCase) upperCaseInPlace(wanted);
    for (std::string& option : namedOptions) {
        if (ignoreCase) upperCaseInPlace(option);
        if (std::strncmp(option.c_str(), wanted.c_str(), wanted.size()) == 0) return option.c_str();
    }
    return kEmpty;
}

int hasNamedOption(const char* key, int ignoreCase) {
    return findNamedOption(key, ignoreCase)[0] != '\0' ? 1 : 0;
}

int hasNamedOptionExact(const char* key) { return hasNamedOption(key, 0); }

int hasNamedOptionAnyCase(const char* key) { return hasNamedOption(key, 1); }

const char* namedOptionValue(const char* key) {
    const char* found = findNamedOption(key, 1);
    if (found[0] == '\0') return kEmpty;
    valueBuffer.assign(found + std::strlen(key));
    return valueBuffer.c_str();
}
