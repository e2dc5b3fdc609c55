// The run from the command line: options, file specifications, the walk and
// the summary.
#pragma once

// Reads the arguments, converts every selected file and prints the summary.
// Returns the exit status of a normal end (0); failures end the process.
int runMain(int argc, char** argv);

// Classifies one option argument (its first character is the prefix) and
// applies it to the run settings or stores it as a named option. "-?",
// "--help" and "--version" print their text and end the process.
void classifyOption(const char* argument);

// Frees what the run allocated: the option texts and the file-set table.
void releaseAll();
