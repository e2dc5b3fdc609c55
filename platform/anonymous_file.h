// A private file no name holds, for bytes held back on their way: it
// disappears with its descriptor, whatever ends the process.
#pragma once

namespace platform {

// A new empty file, readable and writable by the process alone, in the
// system's temporary directory and with no name left there; its descriptor,
// or -1 (errno set).
int openAnonymousFile();

// Moves the descriptor's position back to the file's start.
bool rewindDescriptor(int descriptor);

}  // namespace platform
