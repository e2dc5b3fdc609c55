// Descriptor-level services: duplication, raw reads and writes, the terminal
// test and opening files beneath the text-mode streams.
#pragma once

#include <cstddef>

#include "platform/file_location.h"

namespace platform {

// A new descriptor for the same open file, or -1 (errno set).
int duplicateDescriptor(int descriptor);
// Makes `target` refer to the open file of `source`, closing it first.
// Returns false on failure (errno set).
bool duplicateOnto(int source, int target);
void closeDescriptor(int descriptor);
// Closes and reports whether the close succeeded (errno set).
bool closeDescriptorChecked(int descriptor);
// Closes without disturbing errno, for the cleanup after a failure.
void closeDescriptorQuietly(int descriptor);
// The size of the open file, or -1.
long long descriptorSize(int descriptor);
// Cuts the open file to `size` bytes.
bool truncateDescriptor(int descriptor, long long size);
bool isTerminal(int descriptor);

// Writes every byte, retrying after interruptions and short writes.
bool writeAll(int descriptor, const char* data, std::size_t length);
// Writes at most `length` bytes: the count taken, at least 1, or -1 on
// error (errno set; a write that takes nothing is one).
long writeSome(int descriptor, const char* data, std::size_t length);
// Reads at most `capacity` bytes: the count, 0 at end of file, -1 on error.
long readSome(int descriptor, char* data, std::size_t capacity);

// How openFile opens a file for the text-mode streams.
enum class OpenMode {
    Read,       // reading only; the file must exist
    Overwrite,  // reading and writing, created if missing, else emptied
    Append,     // reading and writing at the end, created if missing; an
                // existing file's one final 0x1A byte is removed first
};

// Opens a file (a path as the tool writes it, see locatePath) for the
// text-mode streams. The descriptor itself is binary: the streams above it
// do the text-mode conversions. Returns -1 on failure (errno set).
int openFile(const char* path, OpenMode mode);

// Opens an input for reading, binary like openFile. With `plainFilesOnly`
// the open never waits (for a FIFO's writer, say), so the caller can look
// at what it opened and refuse anything but a plain file before reading.
// Without `followLinks` a symbolic link (a reparse point) under the name is
// never followed: the open fails with ELOOP.
int openInput(const FileLocation& location, bool plainFilesOnly, bool followLinks = true);

}  // namespace platform
