// The conversion of one input as the tool converts a file, and the reset of
// the scan state between unrelated conversions.
#include "parser/convert_input.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "parser/parser.h"
#include "parser/start_states.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "scanner/engine.h"
#include "scanner/line_history.h"
#include "scanner/line_state.h"
#include "scanner/rules.h"
#include "scanner/scan_buffer.h"
#include "support/capture.h"
#include "support/hooks.h"
#include "support/convert.h"
#include "support/text_model.h"

namespace {

class ConvertInputTest : public testing::Test {
protected:
    void SetUp() override { resetScanState(); }
    void TearDown() override { resetScanState(); }
};

int syntaxErrorToken() { return 5; }

// Bytes the standard input stream read ahead for an earlier input are not
// converted: the conversion reads the descriptor from where it stands.
TEST_F(ConvertInputTest, ReadsFromWhereTheDescriptorStands) {
    int file = memoryFileWith("old\nnew\n");
    StdinFrom input(file);
    EXPECT_EQ(platform::standardInput().getByte(), 'o');
    ASSERT_EQ(lseek(0, 4, SEEK_SET), 4);
    int parsed = -1;
    EXPECT_EQ(captureStdout([&] { parsed = convertInput(); }), expectedOutput("new\n"));
    EXPECT_EQ(parsed, 0);
    close(file);
}

// The byte count of the output stream covers this conversion alone, as the
// size report of a file needs it.
TEST_F(ConvertInputTest, CountsTheBytesOfThisConversionOnly) {
    std::uint64_t counted = 0;
    std::string output;
    withStdin("a\"b\nc", [&] {
        output = captureStdout([&] {
            platform::standardOutput().writeText("before\n");
            ASSERT_EQ(convertInput(), 0);
            platform::standardOutput().flush();
            counted = platform::standardOutput().bytesWritten();
        });
    });
    EXPECT_EQ(output, crlf("before\n") + expectedOutput("a\"b\nc"));
    EXPECT_EQ(counted, expectedOutput("a\"b\nc").size());
}

// A parse failure returns at once: the prologue stands, no epilogue follows.
TEST_F(ConvertInputTest, ParseFailureLeavesTheFrameOpen) {
    yy_token_source = syntaxErrorToken;
    static char text[] = "x";
    match_start = text;
    int parsed = -1;
    std::string output;
    captureStderr([&] { withStdin("abc", [&] { output = captureStdout([&] { parsed = convertInput(); }); }); });
    EXPECT_EQ(parsed, 1);
    EXPECT_EQ(output, "\t= \"");
    releaseLineHistory();
}

// After any conversion, and whatever state it left, the reset gives the
// state of a fresh program, and the next conversion is that of a fresh
// program.
TEST_F(ConvertInputTest, ResetGivesTheStateAtProgramStart) {
    TestHooks hooks({"nbl:40"});
    EXPECT_EQ(convertStream("ab\ncd", &hooks), expectedOutput("ab\ncd"));
    // A memory buffer left current, a deeper start state with its trace,
    // a half-read line. The stream buffer it replaces is the caller's.
    ScanBuffer* streamBuffer = current_buffer;
    yy_scan_bytes("zz", 2);
    captureStdout([] {
        stateTrace = 1;
        beginState(INITIAL);
    });
    noLng = 9;
    curLine[0] = 'q';
    curLineLength = 1;
    inString = 1;
    textSeen = 1;
    formWriterOn = 1;
    yy_recovering = 2;
    yy_token_source = syntaxErrorToken;
    resetLineHistory();

    resetScanState();
    yy_free_buffer(streamBuffer);
    EXPECT_EQ(current_buffer, nullptr);
    EXPECT_EQ(scan_in, nullptr);
    // The rules write to standard output from the start, also the prologue
    // that comes before the engine's first call.
    EXPECT_EQ(scan_out, &platform::standardOutput());
    EXPECT_EQ(first_call, 1);
    EXPECT_EQ(start_code, 0);
    EXPECT_EQ(stateDepth, 0);
    EXPECT_EQ(stateTrace, 0);
    EXPECT_EQ(startStateStack[0], INITIAL);
    EXPECT_EQ(startStateStack[1], INITIAL);
    EXPECT_EQ(noLng, 1);
    EXPECT_EQ(curLineLength, 0);
    EXPECT_EQ(curLine[0], '\0');
    EXPECT_EQ(inString, 0);
    EXPECT_EQ(textSeen, 0);
    EXPECT_EQ(formWriterOn, 0);
    EXPECT_EQ(yy_recovering, 0);
    EXPECT_EQ(histEntries, nullptr);
    EXPECT_EQ(nbl, kDefaultHistoryLines);
    EXPECT_EQ(nbf, kDefaultHistoryLines / 2);
    EXPECT_EQ(yy_token_source, yy_next_token);
    EXPECT_EQ(convertNextStream("\"x\n"), expectedOutput("\"x\n"));
    EXPECT_EQ(noLng, 2);
}

}  // namespace
