// Named options (-name or -name:value), stored as typed and looked up by
// key. The run holds one list; the scanning framework reads it through its
// hooks.
#pragma once

#include <string>
#include <vector>

class NamedOptionList {
public:
    NamedOptionList() = default;
    explicit NamedOptionList(std::vector<std::string> options) : options_(std::move(options)) {}

    // Stores the text of an option argument without its first character.
    void addNamedOption(const std::string& text) { options_.push_back(text); }
    int namedOptionCount() const { return static_cast<int>(options_.size()); }
    const std::string& namedOptionAt(int index) const { return options_.at(static_cast<std::size_t>(index)); }

    // The first stored option that begins with `key`, whole, or "" (never
    // null). With ignoreCase set, every option visited is upper-cased in
    // place (ASCII letters only) and stays so, and the key is compared in
    // upper case.
    const char* findNamedOption(const char* key, int ignoreCase);
    int hasNamedOption(const char* key, int ignoreCase) { return findNamedOption(key, ignoreCase)[0] != '\0'; }
    int hasNamedOptionExact(const char* key) { return hasNamedOption(key, 0); }
    int hasNamedOptionAnyCase(const char* key) { return hasNamedOption(key, 1); }

    // The text after `key` in the first option matching it in any case, or
    // "". The result stays valid until the next call; any length is held.
    const char* namedOptionValue(const char* key);

private:
    std::vector<std::string> options_;
    std::string valueBuffer_;
};
