// Paths as the tool writes them, mapped to the file system beneath.
#pragma once

#include <string>

namespace platform {

// The tool builds paths with '\' (and accepts '/') as separators, and a
// drive prefix such as "c:" stands for the root. On POSIX each component is
// looked up ignoring case when no exact match exists, so "SRC\x.txt" finds
// "src/x.txt"; a component found nowhere is kept as written. On Windows the
// path is used as it stands.
//
// Names the tool makes for itself (its temporary result, its report file)
// need no such lookup: PathLookup::Exact only maps the separators, which
// spares a directory listing for a name that does not exist yet.
enum class PathLookup { IgnoreCase, Exact };
std::string nativePath(const std::string& path, PathLookup lookup = PathLookup::IgnoreCase);

}  // namespace platform
