// Paths as the tool holds them (bytes in the ANSI code page, as the
// command line gives them) and as the system's wide-character calls take
// them. The wide calls are used so that paths longer than MAX_PATH work.
#pragma once

#include <string>

namespace platform {
namespace win32 {

// The text in UTF-16, read in the ANSI code page.
std::wstring toWide(const std::string& text);

// A name from the system in the ANSI code page. False when some character
// has no equivalent there (it is then written as '?').
bool toNarrow(const wchar_t* text, std::string& narrow);

// The path for a wide system call: as it stands while it fits the ordinary
// limit, otherwise made absolute and given the "\\?\" prefix that lifts the
// limit (GetFullPathNameW first does what the system does to any path:
// '/' becomes '\', "." and ".." are resolved, doubled separators go).
std::wstring systemPath(const std::string& path);

}  // namespace win32
}  // namespace platform
