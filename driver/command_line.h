// Reading one option argument into the run settings.
#pragma once

// Classifies one option argument (its first character is the prefix) and
// applies it to the run settings or stores it as a named option. "-?",
// "--help" and "--version" print their text and end the process.
void classifyOption(const char* argument);
