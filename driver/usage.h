// The usage text and the version line, as the tool prints them on standard
// output.
#pragma once

#include <string>

// The usage text, its first line naming the program as `progPath`.
std::string usageText(const std::string& progPath);
// Adds the lines of the scanning framework's named options and of the
// output forms to the usage text `usage`.
void printNamedOptionUsage(std::string& usage);
// "txt2vb" and the version.
std::string versionText();
