#include "driver/named_options.h"

#include <cstring>

namespace {

const char kEmpty[] = "";

void upperCaseInPlace(std::string& text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
}

}  // namespace

const char* NamedOptionList::findNamedOption(const char* key, int ignoreCase) {
    if (key == nullptr) return kEmpty;
    std::string wanted(key);
    if (ignoreCase) upperCaseInPlace(wanted);
    for (std::string& option : options_) {
        if (ignoreCase) upperCaseInPlace(option);
        if (std::strncmp(option.c_str(), wanted.c_str(), wanted.size()) == 0) return option.c_str();
    }
    return kEmpty;
}

const char* NamedOptionList::namedOptionValue(const char* key) {
    const char* found = findNamedOption(key, 1);
    if (found[0] == '\0') return kEmpty;
    valueBuffer_.assign(found + std::strlen(key));
    return valueBuffer_.c_str();
}
