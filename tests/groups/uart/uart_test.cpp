// UART menu transcripts against the simulated ports: port 1 with its
// loopback plug, port 2 with the ticking terminal, port 3 with nothing
// attached.
#include <gtest/gtest.h>

#include <regex>

#include "expected_text.h"
#include "program_run.h"
#include "uart_texts.h"

namespace {

using Trace = std::vector<std::string>;

const std::string kReadFailed = "UART Read Test failed";

std::string ContinuousTest(const std::string &after) {
    return TestHeader("UART Continious Read Test") + kUartSettingsPrompts + after + UartMenu();
}

// Open and configure as the tests do, with parity 0, one stop bit and 8 bits.
Trace Opened(int port, int flow = 0, int baud = 9600) {
    std::string line = std::to_string(port) + ", " + std::to_string(flow);
    return {"UARTOpen(" + line + ", " + std::to_string(baud) + ") = 1",
            "UARTConfigure(" + line + ", 0, 0, 8, " + std::to_string(baud) + ") = 1"};
}

TEST(UartWrite, LoopbackPlugKeepsTheWordForALaterReadTest) {
    RunResult run = RunProgram("9\n1\n1 0 0 0 8 9600\nabc\n2\n1 0 0 0 8 9600\n3\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus("abc", "Success")) +
                              ReadTest(ReadStatus("abc", "Success")) + MainMenu());
    EXPECT_EQ(run.trace, Concat({Opened(1), {"UARTWrite(1, \"abc\") = 1", "UARTClose(1) = 1"}, Opened(1),
                                 {"UARTRead(1, 3, ptr) = 1", "UARTClose(1) = 1"}}));
}

TEST(UartWrite, FailingConfigureClosesThePortAndShowsTheWord) {
    RunResult run = RunProgram("9\n1\n1 0 9 0 8 9600\nabc\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus("abc", "Failed")) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"UARTOpen(1, 0, 9600) = 1", "UARTConfigure(1, 0, 9, 0, 8, 9600) = 0",
                                "UARTClose(1) = 1"}));
}

TEST(UartWrite, FailedOpenPrintsOnlyTheStatusLineAndClosesNothing) {
    // A frequency the port refuses goes to the library as typed.
    RunResult run = RunProgram("9\n1\n1 0 0 0 8 100\nabc\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus("abc", "Failed")) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"UARTOpen(1, 0, 100) = 0"}));
}

TEST(UartWrite, UnwiredPortFailsWritesOnlyUnderHardwareFlowControl) {
    RunResult run = RunProgram("9\n1\n3 2 0 0 8 9600\nabc\n1\n3 0 0 0 8 9600\nabc\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus("abc", "Failed")) +
                              WriteTest(WriteStatus("abc", "Success")) + MainMenu());
    EXPECT_EQ(run.trace, Concat({Opened(3, 2), {"UARTWrite(3, \"abc\") = 0", "UARTClose(3) = 1"}, Opened(3),
                                 {"UARTWrite(3, \"abc\") = 1", "UARTClose(3) = 1"}}));
}

TEST(UartWrite, LongWordIsCutToNinetyNineCharacters) {
    const std::string word(10000, 'w');
    const std::string kept(99, 'w');
    RunResult run = RunProgram("9\n1\n1 0 0 0 8 9600\n" + word + "\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus(kept, "Success")) + MainMenu());
    EXPECT_EQ(run.trace, Concat({Opened(1), {"UARTWrite(1, \"" + kept + "\") = 1", "UARTClose(1) = 1"}}));
}

TEST(UartRead, TerminalOnPortTwoStartsAtTickOneAtEveryOpen) {
    RunResult run = RunProgram("9\n2\n2 0 0 0 8 9600\n5\n2\n2 0 0 0 8 9600\n5\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + ReadTest(ReadStatus("tick1", "Success")) +
                              ReadTest(ReadStatus("tick1", "Success")) + MainMenu());
    Trace session = Concat({Opened(2), {"UARTRead(2, 5, ptr) = 1", "UARTClose(2) = 1"}});
    EXPECT_EQ(run.trace, Concat({session, session}));
}

TEST(UartRead, FailedOpenPrintsFailureAndStatusOnOneLineWithoutClose) {
    // The read buffer starts empty on entering the menu.
    RunResult run = RunProgram("9\n2\n7 0 0 0 8 9600\n3\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + ReadTest(kReadFailed + ReadStatus("", "Failed")) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"UARTOpen(7, 0, 9600) = 0"}));
}

TEST(UartRead, ShortReadShowsWhatArrivedAndFailsAfterClosing) {
    RunResult run = RunProgram("9\n1\n1 0 0 0 8 9600\nab\n2\n1 0 0 0 8 9600\n4\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus("ab", "Success")) +
                              ReadTest(kReadFailed + ReadStatus("ab", "Failed")) + MainMenu());
    EXPECT_EQ(run.trace, Concat({Opened(1), {"UARTWrite(1, \"ab\") = 1", "UARTClose(1) = 1"}, Opened(1),
                                 {"UARTRead(1, 4, ptr) = 0", "UARTClose(1) = 1"}}));
}

TEST(UartRead, FailingConfigurePrintsNoFailureText) {
    RunResult run = RunProgram("9\n2\n1 0 0 0 9 9600\n3\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + ReadTest(ReadStatus("", "Failed")) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"UARTOpen(1, 0, 9600) = 1", "UARTConfigure(1, 0, 0, 0, 9, 9600) = 0",
                                "UARTClose(1) = 1"}));
}

TEST(UartRead, CountsTheBufferCannotHoldAreRefusedWithoutLibraryCalls) {
    RunResult run = RunProgram("9\n2\n1 0 0 0 8 9600\n101\n2\n1 0 0 0 8 9600\n0\n2\n1 0 0 0 8 9600\n-3\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + ReadTest(Line("Character Count 101 not supported!!!")) +
                              ReadTest(Line("Character Count 0 not supported!!!")) +
                              ReadTest(Line("Character Count -3 not supported!!!")) + MainMenu());
    EXPECT_TRUE(run.trace.empty());
}

TEST(UartRead, HundredCharactersFitTheReadBuffer) {
    const std::string first(60, 'a');
    const std::string second(40, 'b');
    RunResult run = RunProgram("9\n1\n1 0 0 0 8 9600\n" + first + "\n1\n1 0 0 0 8 9600\n" + second +
                               "\n2\n1 0 0 0 8 9600\n100\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus(first, "Success")) +
                              WriteTest(WriteStatus(second, "Success")) +
                              ReadTest(ReadStatus(first + second, "Success")) + MainMenu());
    ASSERT_EQ(run.trace.size(), 12u);
    EXPECT_EQ(run.trace[10], "UARTRead(1, 100, ptr) = 1");
}

TEST(UartContinuousRead, ShowsTerminalDataUntilSpaceThenTheLastReadTestsBuffer) {
    RunOptions options;
    options.input = {{"9\n1\n1 0 0 0 8 9600\nabc\n2\n1 0 0 0 8 9600\n3\n3\n2 0 0 0 8 9600\n"},
                     {" \n0\n0\n", "Data: tick"}};
    RunResult run = RunProgram(options);
    const std::string before = MainMenu() + UartMenu() + WriteTest(WriteStatus("abc", "Success")) +
                               ReadTest(ReadStatus("abc", "Success")) + TestHeader("UART Continious Read Test") +
                               kUartSettingsPrompts + Line("Press Space for Break Test");
    const std::string after = ReadStatus("abc", "Success") + UartMenu() + MainMenu();
    ASSERT_EQ(run.output.compare(0, before.size(), before), 0) << run.output;
    ASSERT_GE(run.output.size(), before.size() + after.size());
    ASSERT_EQ(run.output.substr(run.output.size() - after.size()), after) << run.output;

    // Between them only "Data: " lines, which together carry the terminal's
    // ticks in order from tick1, however the reads cut them.
    std::string lines = run.output.substr(before.size(), run.output.size() - before.size() - after.size());
    EXPECT_TRUE(std::regex_match(lines, std::regex("(Data: [a-z0-9]+\n)+"))) << lines;
    std::string received = std::regex_replace(lines, std::regex("Data: |\n"), "");
    std::string ticks;
    for (int i = 1; ticks.size() < received.size(); ++i) ticks += "tick" + std::to_string(i);
    EXPECT_EQ(received, ticks.substr(0, received.size()));

    Trace session = Concat({Opened(1), {"UARTWrite(1, \"abc\") = 1", "UARTClose(1) = 1"}, Opened(1),
                            {"UARTRead(1, 3, ptr) = 1", "UARTClose(1) = 1"}, Opened(2)});
    ASSERT_GE(run.trace.size(), session.size() + 2);
    EXPECT_EQ(Trace(run.trace.begin(), run.trace.begin() + static_cast<long>(session.size())), session);
    for (size_t i = session.size(); i + 1 < run.trace.size(); ++i)
        EXPECT_TRUE(std::regex_match(run.trace[i], std::regex("UARTRead\\(2, 24, ptr\\) = [01]"))) << run.trace[i];
    EXPECT_EQ(run.trace.back(), "UARTClose(2) = 1");
}

TEST(UartContinuousRead, ShowsWhatAReadStoresAndNothingForAnEmptyRead) {
    // Port 1 holds "abc" from the write; port 3 never receives anything. A
    // blank waiting in the input is the Space key, so each loop reads once.
    RunResult run = RunProgram("9\n1\n1 0 0 0 8 9600\nabc\n3\n1 0 0 0 8 9600\n \n3\n3 0 0 0 8 9600\n \n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus("abc", "Success")) +
                              ContinuousTest(Line("Press Space for Break Test") + Line("Data: abc") +
                                             ReadStatus("", "Success")) +
                              ContinuousTest(Line("Press Space for Break Test") + ReadStatus("", "Success")) +
                              MainMenu());
    EXPECT_EQ(run.trace, Concat({Opened(1), {"UARTWrite(1, \"abc\") = 1", "UARTClose(1) = 1"}, Opened(1),
                                 {"UARTRead(1, 24, ptr) = 0", "UARTClose(1) = 1"}, Opened(3),
                                 {"UARTRead(3, 24, ptr) = 0", "UARTClose(3) = 1"}}));
}

TEST(UartContinuousRead, EndsAfterOneReadWhenTheScriptHasMovedOnOrEnded) {
    // Whatever waits instead of a blank answers the menu prompt that follows.
    const std::pair<std::string, std::string> shapes[] = {
        {"0\n0\n", MainMenu()}, {"abc\n0\n0\n", UartMenu() + MainMenu()}, {"", ""}};
    for (const auto &shape : shapes) {
        RunResult run = RunProgram("9\n3\n3 0 0 0 8 9600\n" + shape.first);
        ASSERT_FALSE(run.timedOut) << shape.first;
        EXPECT_EQ(run.exitCode, 1) << shape.first;
        EXPECT_EQ(run.output, MainMenu() + UartMenu() +
                                  ContinuousTest(Line("Press Space for Break Test") + ReadStatus("", "Success")) +
                                  shape.second)
            << shape.first;
        EXPECT_EQ(run.trace, Concat({Opened(3), {"UARTRead(3, 24, ptr) = 0", "UARTClose(3) = 1"}})) << shape.first;
    }
}

TEST(UartContinuousRead, FailedOpenPrintsFailureAndStatusOnOneLine) {
    RunResult run = RunProgram("9\n3\n2 0 0 0 8 9600\n0\n0\n", {{"QZHAL_SIM_FAIL", "UARTOpen"}});
    EXPECT_EQ(run.output,
              MainMenu() + UartMenu() + ContinuousTest(kReadFailed + ReadStatus("", "Failed")) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"UARTOpen(2, 0, 9600) = 0"}));
}

TEST(UartMenu, UnlistedChoicesShowTheMenuAgainSilently) {
    RunResult run = RunProgram("9\n4\n-1\nx\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + UartMenu() + UartMenu() + UartMenu() + MainMenu());
    EXPECT_TRUE(run.trace.empty());
}

}  // namespace
