// Named options (-name or -name:value), stored as typed and looked up by key.
#pragma once

// Stores the text of an option argument without its first character.
void addNamedOption(const char* text);
void clearNamedOptions();
int namedOptionCount();
const char* namedOptionAt(int index);

// The first stored option that begins with `key`, whole, or "" (never null).
// With ignoreCase set, every option visited is upper-cased in place (ASCII
// letters only) and stays so, and the key is compared in upper case.
const char* findNamedOption(const char* key, int ignoreCase);
int hasNamedOption(const char* key, int ignoreCase);
int hasNamedOptionExact(const char* key);
int hasNamedOptionAnyCase(const char* key);

// The text after `key` in the first option matching it in any case, or "".
// The result stays valid until the next call; any length is held.
const char* namedOptionValue(const char* key);
