#include "platform/working_files.h"

#include <random>

#include "platform/names.h"

namespace platform {

const char kLockFileName[] = "_~null932";

namespace {

const char kMark[] = ".txt2vb-";
constexpr std::size_t kMarkSize = sizeof kMark - 1;
constexpr std::size_t kRandomSize = 6;
const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

bool isLetterOrDigit(char c) { return isAsciiLetter(c) || (c >= '0' && c <= '9'); }

}  // namespace

std::string resultNameFor(const std::string& target) {
    static std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name = "." + target.substr(0, 200) + kMark;
    for (std::size_t i = 0; i < kRandomSize; ++i) name += kLetters[pick(random)];
    return name;
}

bool isWorkingFileName(const std::string& name) {
    if (equalIgnoringCase(name, kLockFileName)) return true;
    const std::size_t size = name.size();
    if (size < 1 + kMarkSize + kRandomSize || name[0] != '.') return false;
    if (name.compare(size - kRandomSize - kMarkSize, kMarkSize, kMark) != 0) return false;
    for (std::size_t i = size - kRandomSize; i < size; ++i) {
        if (!isLetterOrDigit(name[i])) return false;
    }
    return true;
}

}  // namespace platform
