// Helpers shared by the unit tests: capturing standard output and running
// conversions through the scanner.
#pragma once

#include <functional>
#include <string>

// Runs `body` with descriptor 1 pointing at a temporary file and returns
// the bytes the standard output stream wrote there.
std::string captureStdout(const std::function<void()>& body);

// Converts `input` held in a memory buffer: prologue, engine, epilogue.
std::string convertMemory(const std::string& input);

// Converts `input` read from standard input through the whole scan frame
// and parser, as the tool converts one file.
std::string convertStream(const std::string& input);

// Points descriptor 0 at a temporary file holding `content` for the
// duration of `body`, with the standard input stream reset around it.
void withStdin(const std::string& content, const std::function<void()>& body);

// The bytes the text-mode input stream delivers for `raw`: CR LF as LF, a
// 0x1A ends the input.
std::string textModeDecode(const std::string& raw);

// `text` as the text-mode output stream writes it: each LF as CR LF.
std::string crlf(const std::string& text);

// Puts the scanner back into its state at program start.
void resetScanner();
