// GPIO button transcripts: interrupts through the real event and the
// simulated operator's buttons, and the polling test.
//
// The buttons follow the clock, so these scripts answer each question only
// once it has been asked, and never depend on when a button is pressed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <regex>

#include "expected_text.h"
#include "gpio_texts.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

const std::string kButtonPrompt = "Enter Input Gpio Pin (e.g. 1 = GPIO_A): ";
const std::string kTypePrompt = "Enter ISR Type (e.g. 0=Low, 1=High, 2=Rise, 3=Fall, 4=Both, 5=None): ";
const std::string kSpacePrompt = "Please push selected button before press space to continious interrupt test!";
const std::string kBreakLine = "Press Space for Break Test";

const Trace kLedsReleased = {"GPIOSetDirection(5, 0, 1) = 1", "GPIOSetDirection(6, 0, 1) = 1",
                             "GPIOSetDirection(8, 0, 1) = 1", "GPIOSetDirection(9, 0, 1) = 1"};

std::string InterruptTest(const std::string &after) {
    return TestHeader("GPIO Button Interrupt Test") + kButtonPrompt + kTypePrompt + after + GpioMenu();
}

std::string Box(int count) {
    return "[Interrupt Detect] Interrupt Event Detected (Count: " + std::to_string(count) +
           "), Continue? [Yes/No]: ";
}

// The calls of one interrupt test that the operator answers `answers` times.
Trace InterruptCalls(int button, int led, int type, int answers) {
    const std::string ledPin = "GPIOSetPin(" + std::to_string(led);
    Trace calls = {"GPIOSetDirection(" + std::to_string(button) + ", 1, 0) = 1",
                   "GPIOSetDirection(" + std::to_string(led) + ", 0, 0) = 1",
                   "GPIOSetInterrupt(" + std::to_string(button) + ", " + std::to_string(type) + ", event) = 1"};
    for (int i = 0; i < answers; ++i) {
        calls.push_back(ledPin + ", 0) = 1");
        calls.push_back(ledPin + ", 1) = 1");
    }
    calls.push_back("GPIOClearInterrupt(" + std::to_string(button) + ") = 1");
    calls.insert(calls.end(), kLedsReleased.begin(), kLedsReleased.end());
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
    const std::string refused = Line("Set GPIO Interrupt failed (" + std::to_string(EINVAL) + ")");
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + InterruptTest(refused + Line("GPIO Pin 2 is Failed!!!")) +
                              InterruptTest(refused + Line("GPIO Pin 4 is Failed!!!")) + MainMenu());
    Trace expected = {"GPIOSetDirection(2, 1, 0) = 1", "GPIOSetDirection(5, 0, 0) = 1",
                      "GPIOSetInterrupt(2, 9, event) = 0"};
    expected.insert(expected.end(), kLedsReleased.begin(), kLedsReleased.end());
    Trace second = {"GPIOSetDirection(4, 1, 0) = 1", "GPIOSetDirection(9, 0, 0) = 1",
                    "GPIOSetInterrupt(4, 5, event) = 0"};
    expected.insert(expected.end(), second.begin(), second.end());
    expected.insert(expected.end(), kLedsReleased.begin(), kLedsReleased.end());
    EXPECT_EQ(run.trace, expected);
}

TEST(GpioButtonInterrupt, AnEventThatCannotBeCreatedTouchesNoPin) {
    RunOptions options;
    options.input = {{"3\n5\n1\n3\n0\n0\n"}};
    options.program = FaultInjectingProgram();
    options.environment = {{"QZHAL_PLATFORM_FAIL", "CreateEvent"}};
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() +
                              InterruptTest(Line("CreateEvent failed (" + std::to_string(EMFILE) + ")") +
                                            Line("GPIO Pin 1 is Failed!!!")) +
                              MainMenu());
    EXPECT_EQ(run.trace, kLedsReleased);
}

// The lines of the polling test between its header and the menu.
std::vector<std::string> PollingLines(const std::string &output, const std::string &before) {
    size_t start = output.find(before);
    size_t end = output.find(GpioMenu(), start + before.size());
    if (start == std::string::npos || end == std::string::npos) return {};
    std::vector<std::string> lines;
    std::string body = output.substr(start + before.size(), end - start - before.size());
    for (size_t at = 0; at < body.size();) {
        size_t lineEnd = body.find('\n', at);
        lines.push_back(body.substr(at, lineEnd - at));
        at = lineEnd + 1;
    }
    return lines;
}

TEST(GpioButtonPolling, CopiesEachButtonOntoItsLedUntilSpace) {
    RunOptions options;
    options.input = {{"3\n6\n"}, {" \n0\n0\n", kBreakLine, 2}};
    RunResult run = RunProgram(options);
    ASSERT_FALSE(run.timedOut);
    const std::string before = MainMenu() + GpioMenu() + TestHeader("Gpio Button Polling Test");
    ASSERT_EQ(run.output.rfind(before, 0), 0u);
    EXPECT_EQ(run.output.substr(run.output.size() - (GpioMenu() + MainMenu()).size()), GpioMenu() + MainMenu());

    // Passes of four pin lines and the break line; the last pass, which saw
    // Space, has only its pin lines.
    std::vector<std::string> lines = PollingLines(run.output, before);
    ASSERT_EQ(lines.size() % 5, 4u);
    size_t passes = lines.size() / 5 + 1;
    EXPECT_GE(passes, 3u);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i % 5 == 4)
            EXPECT_EQ(lines[i], kBreakLine);
        else
            EXPECT_TRUE(lines[i] == "Pin is High" || lines[i] == "Pin is Low") << lines[i];
    }
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Pin is High"), lines.end()) << "no button seen pressed";

    // LEDs to output and buttons to input; per pass each button is read and
    // its LED (1->5, 2->6, 3->8, 4->9) driven to the level read; the LEDs
    // are released at the end.
    Trace setup = {"GPIOSetDirection(5, 0, 0) = 1", "GPIOSetDirection(6, 0, 0) = 1",
                   "GPIOSetDirection(8, 0, 0) = 1", "GPIOSetDirection(9, 0, 0) = 1",
                   "GPIOSetDirection(1, 1, 0) = 1", "GPIOSetDirection(2, 1, 0) = 1",
                   "GPIOSetDirection(3, 1, 0) = 1", "GPIOSetDirection(4, 1, 0) = 1"};
    ASSERT_EQ(run.trace.size(), setup.size() + passes * 12 + kLedsReleased.size());
    EXPECT_EQ(Trace(run.trace.begin(), run.trace.begin() + 8), setup);
    EXPECT_EQ(Trace(run.trace.end() - 4, run.trace.end()), kLedsReleased);
    const int leds[] = {5, 6, 8, 9};
    const std::regex read(R"(GPIOGetPin\((\d)\) = (-?\d+))");
    for (size_t pass = 0; pass < passes; ++pass) {
        for (int button = 1; button <= 4; ++button) {
            size_t at = 8 + pass * 12 + (button - 1) * 3;
            std::smatch match;
            ASSERT_TRUE(std::regex_match(run.trace[at], match, read)) << run.trace[at];
            EXPECT_EQ(match[1], std::to_string(button));
            bool high = match[2] == "1";
            EXPECT_EQ(lines[pass * 5 + button - 1], high ? "Pin is High" : "Pin is Low");
            const std::string led = std::to_string(leds[button - 1]);
            EXPECT_EQ(run.trace[at + 1], "GPIOSetDirection(" + led + ", 0, 0) = 1");
            EXPECT_EQ(run.trace[at + 2], "GPIOSetPin(" + led + ", " + (high ? "1" : "0") + ") = 1");
        }
    }
}

TEST(GpioButtonPolling, EndsAfterOnePassWhenTheInputHasEnded) {
    RunResult run = RunProgram("3\n6\n");
    ASSERT_FALSE(run.timedOut);
    const std::string before = MainMenu() + GpioMenu() + TestHeader("Gpio Button Polling Test");
    std::vector<std::string> lines = PollingLines(run.output, before);
    ASSERT_EQ(lines.size(), 4u) << run.output;
    EXPECT_EQ(run.trace.size(), 8u + 12u + 4u);
    EXPECT_EQ(Trace(run.trace.end() - 4, run.trace.end()), kLedsReleased);
    EXPECT_EQ(run.exitCode, 1);
}

TEST(GpioButtonPolling, ALineThatFailsToReadDrivesItsLedLow) {
    // The first read of GPIO 2 fails (-1): LED GPIO 6 goes low.
    RunResult run = RunProgram("3\n6\n", {{"QZHAL_SIM_FAIL", "GPIOGetPin@2"}});
    ASSERT_GE(run.trace.size(), 14u);
    EXPECT_EQ(run.trace[11], "GPIOGetPin(2) = -1");
    EXPECT_EQ(run.trace[13], "GPIOSetPin(6, 0) = 1");
    EXPECT_NE(run.output.find(TestHeader("Gpio Button Polling Test") + "Pin is "), std::string::npos);
}

}  // namespace
