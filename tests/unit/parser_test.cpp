// The table-driven parser: it accepts the end of input after one token and
// reports any other first token as a syntax error on standard error.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "parser/conversion_hooks.h"
#include "parser/convert_input.h"
#include "parser/parser.h"
#include "parser/scan_frame.h"
#include "scanner/engine.h"
#include "scanner/line_state.h"
#include "scanner/scan_buffer.h"
#include "support/capture.h"
#include "support/convert.h"

namespace {

// A token source that hands out a fixed sequence and counts its calls.
std::vector<int> scripted;
int calls = 0;

int scriptedSource() {
    int token = static_cast<std::size_t>(calls) < scripted.size() ? scripted[static_cast<std::size_t>(calls)] : 0;
    ++calls;
    return token;
}

// The path of the input, as a run hands it to the parser; diagnostics go
// to standard error.
struct PathHooks : ConversionHooks {
    const char* currentPath() override { return path; }
    const char* path = nullptr;
};
PathHooks hooks;

// The scanner itself, counted.
int countedScanner() {
    ++calls;
    return yy_next_token();
}

class ParserTest : public testing::Test {
protected:
    void SetUp() override {
        resetScanState();
        calls = 0;
        scripted.clear();
        hooks.path = nullptr;
        yy_hooks = &hooks;
    }
    void TearDown() override { resetScanState(); }
};

// The tables, over every token up to beyond the error token: the end of
// input (0, or any negative value) is accepted alone, every other first
// token is one syntax error, each after one call of the token source.
TEST_F(ParserTest, TablesAcceptTheEndOfInputAlone) {
    static char tokenText[] = "t";
    match_start = tokenText;
    yy_token_source = scriptedSource;
    for (int token = -3; token <= kErrorToken + 3; ++token) {
        scripted = {token, 0};
        calls = 0;
        int result = -1;
        const std::string errors = captureStderr([&] { result = yy_parse_input(); });
        const bool accepted = token <= 0;
        EXPECT_EQ(result, accepted ? 0 : 1) << token;
        EXPECT_EQ(calls, 1) << token;
        EXPECT_EQ(yy_error_count, accepted ? 0 : 1) << token;
        EXPECT_EQ(errors.empty(), accepted) << token;
    }
}

TEST_F(ParserTest, WholeInputsAcceptedAfterOneScannerCall) {
    struct Case {
        const char* name;
        std::string input;
        std::string output;
    };
    const std::vector<Case> cases = {
        {"empty input", "", "\t= \"\"\r\n"},
        {"two lines", "ab\ncd", "\t= \"ab\" _\r\n\t& \"cd\"\r\n"},
        {"quotes and a final line feed", "\"\"\n", "\t= \"\"\"\"\"\" _\r\n\t& \"\"\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetScanState();
        calls = 0;
        yy_token_source = countedScanner;
        std::string output;
        std::string errors = captureStderr([&] { output = convertNextStream(c.input); });
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(output, c.output);
        EXPECT_EQ(errors, "");
        EXPECT_EQ(yy_error_count, 0);
    }
}

TEST_F(ParserTest, FirstTokenDecidesTheResult) {
    static char tokenText[] = "tok\"en";
    struct Case {
        const char* name;
        std::vector<int> tokens;
        int result;
        std::string errors;
    };
    const std::string syntaxError = "Syntax error ligne 7 in file dir/file.txt -> <tok\"en>: syntax error\n";
    const std::vector<Case> cases = {
        {"end of input", {0}, 0, ""},
        {"negative token", {-1}, 0, ""},
        {"most negative token", {INT_MIN}, 0, ""},
        {"token 5", {5, 0}, 1, syntaxError},
        {"token 1", {1, 0}, 1, syntaxError},
        {"error token", {kErrorToken, 0}, 1, syntaxError},
        {"largest token", {INT_MAX, 0}, 1, syntaxError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scripted = c.tokens;
        calls = 0;
        yy_token_source = scriptedSource;
        hooks.path = "dir/file.txt";
        noLng = 7;
        match_start = tokenText;
        int result = -1;
        std::string output;
        std::string errors = captureStderr([&] { output = captureStdout([&] { result = yy_parse_input(); }); });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(output, "");
        EXPECT_EQ(yy_error_count, c.result);
    }
}

TEST_F(ParserTest, SyntaxErrorLineFields) {
    static char emptyText[] = "";
    static char longText[] = "a longer token text";
    struct Case {
        const char* name;
        const char* path;
        std::int64_t line;
        char* token;
        std::string line_written;
    };
    const std::vector<Case> cases = {
        {"line one", "a.txt", 1, longText, "Syntax error ligne 1 in file a.txt -> <a longer token text>: syntax error\n"},
        {"line beyond 32 bits", "b.txt", 5000000000LL, emptyText,
         "Syntax error ligne 5000000000 in file b.txt -> <>: syntax error\n"},
        {"no path and no match yet", nullptr, 3, nullptr, "Syntax error ligne 3 in file  -> <>: syntax error\n"},
        {"percent signs", "100%.txt", 2, longText,
         "Syntax error ligne 2 in file 100%.txt -> <a longer token text>: syntax error\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scripted = {5};
        calls = 0;
        yy_token_source = scriptedSource;
        hooks.path = c.path;
        noLng = c.line;
        match_start = c.token;
        int result = -1;
        EXPECT_EQ(captureStderr([&] { result = yy_parse_input(); }), c.line_written);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(calls, 1);
    }
}

TEST_F(ParserTest, EachParseStartsAfresh) {
    yy_token_source = scriptedSource;
    char text[] = "x";
    match_start = text;
    // A failed parse leaves a lookahead and the recovery count behind; the
    // next parse must not see them.
    scripted = {5};
    calls = 0;
    captureStderr([] { EXPECT_EQ(yy_parse_input(), 1); });
    scripted = {0};
    calls = 0;
    EXPECT_EQ(captureStderr([] { EXPECT_EQ(yy_parse_input(), 0); }), "");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(yy_error_count, 0);
    EXPECT_EQ(yy_recovering, 0);
}

}  // namespace
