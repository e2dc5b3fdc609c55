#include "platform/win32/wide_paths.h"

#include <vector>

#include "platform/win32/windows_api.h"

namespace platform {
namespace win32 {

// Room left below MAX_PATH: a directory path must leave space for an 8.3
// name, and a search appends "\*.*" to directory paths.
static const std::size_t kOrdinaryPathLimit = MAX_PATH - 12;

std::wstring toWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    int needed = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], needed);
    return wide;
}

bool toNarrow(const wchar_t* text, std::string& narrow) {
    narrow.clear();
    if (text[0] == L'\0') return true;
    // No best-fit replacements: a name written with a look-alike letter
    // would name another file. Code page UTF-8 represents everything and
    // takes neither the flag nor the question.
    const bool utf8 = ::GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL* lossyOut = utf8 ? nullptr : &lossy;
    int needed = ::WideCharToMultiByte(CP_ACP, flags, text, -1, nullptr, 0, nullptr, lossyOut);
    if (needed <= 0) return false;
    std::vector<char> buffer(static_cast<std::size_t>(needed));
    ::WideCharToMultiByte(CP_ACP, flags, text, -1, buffer.data(), needed, nullptr, lossyOut);
    narrow.assign(buffer.data());
    return !lossy;
}

std::wstring systemPath(const std::string& path) {
    std::wstring wide = toWide(path);
    // Device paths (\\.\...) and paths already in the long form stay as
    // they are.
    if (wide.size() < kOrdinaryPathLimit || wide.compare(0, 4, L"\\\\?\\") == 0 ||
        wide.compare(0, 4, L"\\\\.\\") == 0) {
        return wide;
    }
    DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return wide;
    std::vector<wchar_t> full(needed);
    DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return wide;
    std::wstring absolute(full.data(), length);
    // A network path \\server\share\... takes the form \\?\UNC\server\share\...
    if (absolute.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + absolute.substr(2);
    return L"\\\\?\\" + absolute;
}

}  // namespace win32
}  // namespace platform
