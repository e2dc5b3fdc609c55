// The name a result takes under -e.
#pragma once

#include <string>

// The result's name under -e: the path cut before its file name's last run
// of characters other than '.', then the new extension. A file name without
// an extension keeps its whole name and gains "." and the extension.
std::string newExtensionName(const std::string& path, const std::string& newExt);
