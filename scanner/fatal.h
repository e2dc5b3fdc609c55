// Fatal scanner errors.
#pragma once

// Writes the message and a newline to standard error and ends the process
// with status 2; converted text still buffered is flushed first.
[[noreturn]] void yy_fatal(const char* message);
