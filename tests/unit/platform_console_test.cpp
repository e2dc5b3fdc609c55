// The console services on every system: which characters begin an option,
// and standard error, which is a text-mode stream on Windows (each line
// feed as CR LF) and takes bytes as they are elsewhere.
#include "platform/console.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/descriptors.h"
#include "support/scratch_files.h"

namespace {

TEST(PlatformConsole, OptionPrefixes) {
#if defined(_WIN32)
    const std::string prefixes = "-/";
#else
    const std::string prefixes = "-";
#endif
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        EXPECT_EQ(platform::isOptionPrefix(ch), prefixes.find(ch) != std::string::npos) << c;
    }
}

// The bytes that reach descriptor 2 when `text` is written to standard error.
std::string standardErrorOf(const std::string& text) {
    int file = temporaryFileWith("");
    int saved = platform::duplicateDescriptor(2);
    if (file < 0 || saved < 0 || !platform::duplicateOnto(file, 2)) return "(no redirection)";
    platform::writeStandardError(text.data(), static_cast<unsigned long>(text.size()));
    platform::duplicateOnto(saved, 2);
    platform::closeDescriptor(saved);
    std::string bytes;
    seekTo(file, 0);
    char chunk[4096];
    for (long n; (n = platform::readSome(file, chunk, sizeof chunk)) > 0;) bytes.append(chunk, static_cast<std::size_t>(n));
    platform::closeDescriptor(file);
    return bytes;
}

TEST(PlatformConsole, StandardErrorLineEnds) {
#if defined(_WIN32)
    const bool crlf = true;
#else
    const bool crlf = false;
#endif
    std::string many;
    for (int i = 0; i < 3000; ++i) many += "x\n";  // beyond any one buffer once expanded
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"one line", "message\n"},
        {"no line feed", "partial"},
        {"CR already there", "a\r\nb\r"},
        {"line feeds only", "\n\n\n"},
        {"many lines", many},
    };
    for (const auto& c : cases) {
        std::string expected;
        for (char ch : c.text) {
            if (ch == '\n' && crlf) expected += '\r';
            expected += ch;
        }
        EXPECT_EQ(standardErrorOf(c.text), expected) << c.name;
    }
}

TEST(PlatformConsole, ErrorTexts) {
    // The runtime's messages: one per error, never empty.
    const std::string missing = platform::errorText(ENOENT);
    const std::string denied = platform::errorText(EACCES);
    EXPECT_FALSE(missing.empty());
    EXPECT_FALSE(denied.empty());
    EXPECT_NE(missing, denied);
}

}  // namespace
