// Helpers shared by the fuzz targets: redirecting the standard descriptors
// to in-memory files, putting the scanner back into its start state, and
// checking a conversion's output against the value it must have.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace fuzz {

// Runs `body` with descriptor 1 pointing at an in-memory file and returns
// the bytes the tool's standard output stream wrote there.
std::string captureStdout(const std::function<void()>& body);

// Runs `body` with descriptor 0 reading `content` from an in-memory file,
// the tool's standard input stream reset before and after.
void withStdin(const std::string& content, const std::function<void()>& body);

// `text` with every line feed removed: the value of the expression the
// tool writes for `text`.
std::string withoutLineFeeds(const std::string& text);

// The exact bytes the tool writes for `text` as the scanner sees it (after
// any text-mode decoding), from the output format alone: the prologue, each
// quote doubled, each line feed closing the string (" _") or continuing a
// line with no string ("\t_"), each line's first other byte opening an
// operand ("\t& \""), a CR or a NUL joined as vbCr or vbNullChar between
// two strings, and the epilogue; every line ends with CR LF.
std::string expectedOutput(const std::string& text);

// Checks `output` for the scanned `text`: it must parse as the tool's
// expression with the value `text` without its line feeds, and be exactly
// expectedOutput(text). On a failure prints what went wrong and the fuzz
// input in hex to standard error and aborts, which the fuzzer reports as a
// crash.
void checkConversion(const char* what, const std::string& output, const std::string& text,
                     const std::uint8_t* data, std::size_t size);

// Prints `message` and the fuzz input in hex, then aborts.
[[noreturn]] void failWithInput(const std::string& message, const std::uint8_t* data, std::size_t size);

}  // namespace fuzz
