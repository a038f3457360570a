// GPIO button transcripts: interrupts through the real event and the
// simulated operator's buttons, and the polling test.
//
// The buttons follow the clock, so these scripts answer each question only
// once it has been asked, and never depend on when a button is pressed.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "expected_text.h"
#include "gpio_texts.h"
#include "program_run.h"
#include "system_codes.h"

namespace {

using Trace = std::vector<std::string>;

const std::string kSpacePrompt = "Please push selected button before press space to continious interrupt test!";
const std::string kBreakLine = "Press Space for Break Test";

// The calls of an interrupt test whose first wait ended without an
// interrupt: the LED was driven low for it and never high.
Trace UnendedWaitCalls(int button, int led, int type) {
    Trace calls = InterruptCalls(button, led, type, 0);
    calls.insert(calls.begin() + 3, "GPIOSetPin(" + std::to_string(led) + ", 0) = 1");
    return calls;
}

TEST(GpioButtonInterrupt, CountsEachAnsweredInterruptUntilNo) {
    RunOptions options;
    options.input = {{"3\n5\n2\n3\n"}, {"y\n", Box(1)}, {"n\n0\n0\n", Box(2)}};
    RunResult run = RunProgram(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() +
                              InterruptTest(Box(1) + Box(2) + Line("Interrupttest on Button TA2 is Success!!!") +
                                            Line("GPIO Pin 2 is Success!!!")) +
                              MainMenu());
    EXPECT_EQ(run.trace, InterruptCalls(2, 5, 3, 2));
}

TEST(GpioButtonInterrupt, PairsEachButtonWithItsLedAndEndsAtTheEndOfTheInput) {
    // Button 1 lights GPIO 6 and button 3 GPIO 8; the end of the input
    // answers the box with No, so the script cannot hang the test.
    RunOptions options;
    options.input = {{"3\n5\n1\n0\n"}, {"n\n5\n3\n4\n", Box(1)}};
    RunResult run = RunProgram(options);
    ASSERT_FALSE(run.timedOut);
    const std::string buttonOne = Box(1) + Line("Interrupttest on Button TA1 is Success!!!") +
                                  Line("GPIO Pin 1 is Success!!!");
    const std::string buttonThree = Box(1) + Line("Interrupttest on Button TA3 is Success!!!") +
                                    Line("GPIO Pin 3 is Success!!!");
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + InterruptTest(buttonOne) + InterruptTest(buttonThree));
    Trace expected = InterruptCalls(1, 6, 0, 1);
    Trace second = InterruptCalls(3, 8, 4, 1);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(run.trace, expected);
    EXPECT_EQ(run.exitCode, 1);
}

TEST(GpioButtonInterrupt, HighAndRiseWaitForSpaceBeforeTheTest) {
    // The prompt has no line end: the box follows on the same line.
    RunOptions options;
    options.input = {{"3\n5\n4\n1\n"}, {" \n", kSpacePrompt}, {"n\n0\n0\n", Box(1)}};
    RunResult run = RunProgram(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() +
                              InterruptTest(kSpacePrompt + Box(1) + Line("Interrupttest on Button TA4 is Success!!!") +
                                            Line("GPIO Pin 4 is Success!!!")) +
                              MainMenu());
    EXPECT_EQ(run.trace, InterruptCalls(4, 9, 1, 1));
}

TEST(GpioButtonInterrupt, AnInvalidButtonIsRefusedOnlyAfterSpace) {
    RunOptions options;
    options.input = {{"3\n5\n7\n2\n"}, {" \n0\n0\n", kSpacePrompt, 1, 50}};
    RunResult run = RunProgram(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() +
                              InterruptTest(kSpacePrompt + Line("Enter valid Button Number (1 to 4)")) + MainMenu());
    EXPECT_TRUE(run.trace.empty());

    // With no Space the test goes on waiting.
    RunOptions noSpace;
    noSpace.input = {{"3\n5\n7\n2\n"}};
    noSpace.keepInputOpen = true;
    noSpace.timeoutMs = 1000;
    RunResult waiting = RunProgram(noSpace);
    EXPECT_TRUE(waiting.timedOut);
    EXPECT_EQ(waiting.output.find("Enter valid Button Number"), std::string::npos);

    // Other types check the button at once.
    RunResult fall = RunProgram("3\n5\n0\n3\n0\n0\n");
    EXPECT_EQ(fall.output,
              MainMenu() + GpioMenu() + InterruptTest(Line("Enter valid Button Number (1 to 4)")) + MainMenu());
    EXPECT_TRUE(fall.trace.empty());
}

TEST(GpioButtonInterrupt, RefusedTypesReportTheLibraryFailure) {
    RunResult run = RunProgram("3\n5\n2\n9\n5\n4\n5\n0\n0\n");
    const std::string refused = Line("Set GPIO Interrupt failed (" + std::to_string(kCodeInvalidArgument) + ")");
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + InterruptTest(refused + Line("GPIO Pin 2 is Failed!!!")) +
                              InterruptTest(refused + Line("GPIO Pin 4 is Failed!!!")) + MainMenu());
    Trace expected = {"GPIOSetDirection(2, 1, 0) = 1", "GPIOSetDirection(5, 0, 0) = 1",
                      "GPIOSetInterrupt(2, 9, event) = 0"};
    expected.insert(expected.end(), kGpioLedsReleased.begin(), kGpioLedsReleased.end());
    Trace second = {"GPIOSetDirection(4, 1, 0) = 1", "GPIOSetDirection(9, 0, 0) = 1",
                    "GPIOSetInterrupt(4, 5, event) = 0"};
    expected.insert(expected.end(), second.begin(), second.end());
    expected.insert(expected.end(), kGpioLedsReleased.begin(), kGpioLedsReleased.end());
    EXPECT_EQ(run.trace, expected);
}

// GPIO 2, an output driven high, holds its jumper partner GPIO 1 high: a
// Low interrupt on button 1 can never come, and no script can press the
// button, so the test gives up after a while instead of waiting for ever.
TEST(GpioButtonInterrupt, AScriptsWaitForAnInterruptThatCannotComeEnds) {
    RunResult run = RunProgram("3\n3\n2\n1\n5\n1\n0\n0\n0\n");
    ASSERT_FALSE(run.timedOut);
    const std::string setPin = TestHeader("Gpio Set Pin State") + "Enter Gpio Pin (e.g. 1 = GPIO_A): " +
                               "Enter Gpio State (e.g. 1|0): " + Line("GPIO Pin 2 is 1!!!") + GpioMenu();
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + setPin +
                              InterruptTest(Line("No Interrupt Event within 3 s") +
                                            Line("Interrupttest on Button TA1 is Failed!!!") +
                                            Line("GPIO Pin 1 is Failed!!!")) +
                              MainMenu());
    Trace expected = {"GPIOSetDirection(2, 0, 0) = 1", "GPIOSetPin(2, 1) = 1"};
    Trace test = UnendedWaitCalls(1, 6, 0);
    expected.insert(expected.end(), test.begin(), test.end());
    EXPECT_EQ(run.trace, expected);
    EXPECT_EQ(run.exitCode, 1);
}

TEST(GpioButtonInterrupt, AnEventThatCannotBeCreatedTouchesNoPin) {
    RunOptions options;
    options.input = {{"3\n5\n1\n3\n0\n0\n"}};
    options.program = FaultInjectingProgram();
    options.environment = {{"QZHAL_PLATFORM_FAIL", "CreateEvent"}};
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() +
                              InterruptTest(Line("CreateEvent failed (" + std::to_string(kCodeNoEvent) + ")") +
                                            Line("GPIO Pin 1 is Failed!!!")) +
                              MainMenu());
    EXPECT_EQ(run.trace, kGpioLedsReleased);
}

// A wait that fails would fail again at once: retrying it would spin for ever.
TEST(GpioButtonInterrupt, AFailedWaitEndsTheTest) {
    RunOptions options;
    options.input = {{"3\n5\n1\n0\n0\n0\n"}};
    options.program = FaultInjectingProgram();
    options.environment = {{"QZHAL_PLATFORM_FAIL", "WaitForSingleObject"}};
    options.timeoutMs = 5000;
    RunResult run = RunProgram(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() +
                              InterruptTest(Line("WaitForSingleObject failed (" + std::to_string(kCodeWaitFailed) + ")") +
                                            Line("Interrupttest on Button TA1 is Failed!!!") +
                                            Line("GPIO Pin 1 is Failed!!!")) +
                              MainMenu());
    EXPECT_EQ(run.trace, UnendedWaitCalls(1, 6, 0));
}

// What the polling test prints and calls, given the levels the library
// returned for its reads of the buttons in turn (from the trace): four pin
// lines per pass and the break line after every pass but the last, on which
// Space was seen; each button's LED (1->5, 2->6, 3->8, 4->9) driven to the
// level read.
struct Polling {
    std::string output;
    Trace trace;
};

Polling ExpectedPolling(const std::vector<std::string> &levels) {
    const int leds[] = {5, 6, 8, 9};
    Polling expected;
    expected.trace = {"GPIOSetDirection(5, 0, 0) = 1", "GPIOSetDirection(6, 0, 0) = 1",
                      "GPIOSetDirection(8, 0, 0) = 1", "GPIOSetDirection(9, 0, 0) = 1",
                      "GPIOSetDirection(1, 1, 0) = 1", "GPIOSetDirection(2, 1, 0) = 1",
                      "GPIOSetDirection(3, 1, 0) = 1", "GPIOSetDirection(4, 1, 0) = 1"};
    expected.output = TestHeader("Gpio Button Polling Test");
    for (size_t read = 0; read < levels.size(); ++read) {
        const std::string button = std::to_string(read % 4 + 1);
        const std::string led = std::to_string(leds[read % 4]);
        bool high = levels[read] == "1";
        expected.trace.push_back("GPIOGetPin(" + button + ") = " + levels[read]);
        expected.trace.push_back("GPIOSetDirection(" + led + ", 0, 0) = 1");
        expected.trace.push_back("GPIOSetPin(" + led + ", " + (high ? "1" : "0") + ") = 1");
        expected.output += Line(high ? "Pin is High" : "Pin is Low");
        if (read % 4 == 3 && read + 1 < levels.size()) expected.output += Line(kBreakLine);
    }
    expected.trace.insert(expected.trace.end(), kGpioLedsReleased.begin(), kGpioLedsReleased.end());
    expected.output += GpioMenu();
    return expected;
}

std::vector<std::string> ButtonLevels(const Trace &trace) {
    std::vector<std::string> levels;
    const std::regex read(R"(GPIOGetPin\(\d\) = (-?\d+))");
    std::smatch match;
    for (const std::string &line : trace)
        if (std::regex_match(line, match, read)) levels.push_back(match[1]);
    return levels;
}

TEST(GpioButtonPolling, CopiesEachButtonOntoItsLedUntilSpace) {
    RunOptions options;
    options.input = {{"3\n6\n"}, {" \n0\n0\n", kBreakLine, 2}};
    RunResult run = RunProgram(options);
    ASSERT_FALSE(run.timedOut);
    std::vector<std::string> levels = ButtonLevels(run.trace);
    EXPECT_GE(levels.size(), 3u * 4u);
    // One button is down at any time: some pass must have seen it.
    EXPECT_NE(std::find(levels.begin(), levels.end(), "1"), levels.end());
    Polling expected = ExpectedPolling(levels);
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + expected.output + MainMenu());
    EXPECT_EQ(run.trace, expected.trace);
}

// What a script may have waiting when a loop checks for Space, besides a
// blank: a number or a word meant for the next prompt, or nothing more at all.
struct ScriptShape {
    const char *rest;
    const char *name;
};
constexpr ScriptShape kMovedOnOrEnded[] = {{"0\n0\n", "a number"}, {"abc\n0\n0\n", "a word"}, {"", "the end"}};

TEST(GpioButtonPolling, EndsAfterOnePassWhenTheScriptHasMovedOnOrEnded) {
    // What was waiting answers the menu prompt that follows.
    const std::map<std::string, std::string> after = {
        {"0\n0\n", MainMenu()}, {"abc\n0\n0\n", NotValid() + GpioMenu() + MainMenu()}, {"", ""}};
    for (const ScriptShape &shape : kMovedOnOrEnded) {
        RunResult run = RunProgram(std::string("3\n6\n") + shape.rest);
        ASSERT_FALSE(run.timedOut) << shape.name;
        EXPECT_EQ(run.exitCode, 1) << shape.name;
        std::vector<std::string> levels = ButtonLevels(run.trace);
        EXPECT_EQ(levels.size(), 4u) << shape.name;
        Polling expected = ExpectedPolling(levels);
        EXPECT_EQ(run.output, MainMenu() + GpioMenu() + expected.output + after.at(shape.rest)) << shape.name;
        EXPECT_EQ(run.trace, expected.trace) << shape.name;
    }
}

TEST(GpioButtonInterrupt, TheWaitForSpaceEndsWhenTheScriptHasMovedOnOrEnded) {
    // The waiting input then answers the box: anything but y or n asks again
    // and the end of the input answers No.
    const std::map<std::string, int> boxes = {{"0\n0\n", 3}, {"abc\n0\n0\n", 4}, {"", 1}};
    for (const ScriptShape &shape : kMovedOnOrEnded) {
        RunResult run = RunProgram(std::string("3\n5\n1\n1\n") + shape.rest);
        ASSERT_FALSE(run.timedOut) << shape.name;
        EXPECT_EQ(run.exitCode, 1) << shape.name;
        std::string asked;
        for (int i = 0; i < boxes.at(shape.rest); ++i) asked += Box(1);
        EXPECT_EQ(run.output, MainMenu() + GpioMenu() +
                                  InterruptTest(kSpacePrompt + asked + Line("Interrupttest on Button TA1 is Success!!!") +
                                                Line("GPIO Pin 1 is Success!!!")))
            << shape.name;
        EXPECT_EQ(run.trace, InterruptCalls(1, 6, 1, 1)) << shape.name;
    }
}

}  // namespace
