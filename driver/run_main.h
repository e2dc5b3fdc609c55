// The run from the command line: options, file specifications, the walk and
// the summary.
#pragma once

// Reads the arguments, converts every selected file and prints the summary.
// Returns the exit status of a normal end (ExitStatus::Normal); failures end
// the process.
int runMain(int argc, char** argv);

// Frees what the run allocated: the option texts and the file-set table.
void releaseAll();
