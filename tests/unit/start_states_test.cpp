// The stack of start states and its BEGIN / RETURN trace on standard
// output.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "parser/convert_input.h"
#include "parser/start_states.h"
#include "platform/text_output.h"
#include "scanner/engine.h"
#include "scanner/line_state.h"
#include "scanner/tables.h"
#include "support/capture.h"

namespace {

class StartStateTest : public testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }
    static void clean() {
        resetScanState();
        // The engine's first call has set the start code of INITIAL.
        start_code = kInitialStartCode;
    }
};

class StartStateDeathTest : public StartStateTest {};

TEST_F(StartStateTest, ReturnAtDepthZeroDoesNothing) {
    for (int trace : {0, 1}) {
        stateTrace = trace;
        startStateStack[0] = INITIAL;
        startStateStack[1] = 7;
        start_code = kInitialStartCode;
        EXPECT_EQ(captureStdout(returnState), "") << trace;
        EXPECT_EQ(stateDepth, 0) << trace;
        EXPECT_EQ(start_code, kInitialStartCode) << trace;
        EXPECT_EQ(startStateStack[0], INITIAL) << trace;
    }
}

TEST_F(StartStateTest, FortyNineEntriesAboveTheBase) {
    for (int trace : {0, 1}) {
        SCOPED_TRACE(trace ? "traced" : "quiet");
        clean();
        stateTrace = trace;
        captureStdout([] {
            for (int i = 1; i <= 49; ++i) beginState(i % 2 == 0 ? INITIAL : 1);
        });
        EXPECT_EQ(stateDepth, 49);
        EXPECT_EQ(startStateStack[49], 1);
        EXPECT_EQ(start_code, 3);
        // The fiftieth changes nothing and writes nothing.
        EXPECT_EQ(captureStdout([] { beginState(INITIAL); }), "");
        EXPECT_EQ(stateDepth, 49);
        EXPECT_EQ(startStateStack[49], 1);
        EXPECT_EQ(start_code, 3);
        // And the way back down goes through every entry.
        captureStdout([] {
            for (int depth = 48; depth >= 0; --depth) {
                returnState();
                EXPECT_EQ(stateDepth, depth);
                EXPECT_EQ(start_code, depth % 2 == 0 ? 1 : 3) << depth;
            }
        });
    }
}

TEST_F(StartStateTest, TraceLines) {
    struct Case {
        const char* name;
        int state;
        std::int64_t line;
        std::string begin;
        std::string back;
    };
    const std::vector<Case> cases = {
        {"INITIAL on line 4", INITIAL, 4, "\r\nBEGIN (1) INITIAL noLng:4 =>", "<= RETURN (0) INITIAL noLng:4\r\n"},
        {"unknown state", 2, 17, "\r\nBEGIN (1) --INCONNU-- noLng:17 =>", "<= RETURN (0) INITIAL noLng:17\r\n"},
        {"line beyond 32 bits", INITIAL, 5000000000LL, "\r\nBEGIN (1) INITIAL noLng:5000000000 =>",
         "<= RETURN (0) INITIAL noLng:5000000000\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clean();
        stateTrace = 1;
        noLng = c.line;
        EXPECT_EQ(captureStdout([&] { beginState(c.state); }), c.begin);
        EXPECT_EQ(stateDepth, 1);
        EXPECT_EQ(start_code, 2 * c.state + 1);
        EXPECT_EQ(captureStdout(returnState), c.back);
        EXPECT_EQ(stateDepth, 0);
        EXPECT_EQ(start_code, kInitialStartCode);
    }
}

TEST_F(StartStateTest, NestedTraceNamesTheStateReturnedTo) {
    stateTrace = 1;
    noLng = 9;
    std::string out = captureStdout([] {
        beginState(INITIAL);
        beginState(3);
        returnState();
        returnState();
    });
    EXPECT_EQ(out,
              "\r\nBEGIN (1) INITIAL noLng:9 =>"
              "\r\nBEGIN (2) --INCONNU-- noLng:9 =>"
              "<= RETURN (1) INITIAL noLng:9\r\n"
              "<= RETURN (0) INITIAL noLng:9\r\n");
}

TEST_F(StartStateTest, SetStateAtDepthTwoReplacesOnlyThatEntry) {
    beginState(INITIAL);
    beginState(1);
    ASSERT_EQ(stateDepth, 2);
    EXPECT_EQ(captureStdout([] { setState(2); }), "");
    EXPECT_EQ(stateDepth, 2);
    EXPECT_EQ(startStateStack[2], 2);
    EXPECT_EQ(startStateStack[1], INITIAL);
    EXPECT_EQ(start_code, 5);
    returnState();
    EXPECT_EQ(stateDepth, 1);
    EXPECT_EQ(startStateStack[1], INITIAL);
    EXPECT_EQ(start_code, kInitialStartCode);
}

TEST_F(StartStateTest, SetStateWritesNoTrace) {
    stateTrace = 1;
    noLng = 4;
    EXPECT_EQ(captureStdout([] { setState(INITIAL); }), "");
    EXPECT_EQ(startStateStack[0], INITIAL);
    EXPECT_EQ(start_code, kInitialStartCode);
    EXPECT_EQ(stateDepth, 0);
}

TEST_F(StartStateTest, StateNames) {
    struct Case {
        int state;
        const char* name;
    };
    const std::vector<Case> cases = {
        {INITIAL, "INITIAL"}, {1, "--INCONNU--"}, {-1, "--INCONNU--"},
        {49, "--INCONNU--"},  {INT_MAX, "--INCONNU--"}, {INT_MIN, "--INCONNU--"},
    };
    for (const Case& c : cases) EXPECT_STREQ(stateName(c.state), c.name) << c.state;
}

TEST_F(StartStateTest, TraceOffWritesNothing) {
    stateTrace = 0;
    noLng = 4;
    std::string out = captureStdout([] {
        beginState(INITIAL);
        beginState(1);
        returnState();
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(stateDepth, 1);
    EXPECT_EQ(start_code, kInitialStartCode);
}

// No state number may wrap round to the start code of INITIAL.
TEST_F(StartStateTest, ExtremeStatesNeverSelectInitial) {
    for (int state : {INT_MIN, INT_MAX, INT_MIN + 1, -1}) {
        setState(state);
        EXPECT_NE(start_code, kInitialStartCode) << state;
        beginState(state);
        EXPECT_NE(start_code, kInitialStartCode) << state;
        returnState();
        EXPECT_NE(start_code, kInitialStartCode) << state;
        stateDepth = 0;
    }
}

TEST_F(StartStateDeathTest, EngineRefusesUndeclaredStartState) {
    platform::standardOutput().flush();
    for (int state : {1, -1, INT_MIN}) {
        EXPECT_EXIT(
            {
                resetScanState();
                beginState(state);
                yy_next_token();
            },
            testing::ExitedWithCode(2), "^fatal scanner internal error--unknown start state\n$")
            << state;
    }
}

}  // namespace
