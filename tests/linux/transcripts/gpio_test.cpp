// GPIO on gpio-sim: the program's pins are its lines, levels driven by the
// program show in sysfs, pulls driven from sysfs reach the program, and an
// edge reaches the program's interrupt event.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "gpio_texts.h"
#include "kernel_side.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

// gpio-sim line of a library pin.
int Offset(int gpio) { return gpio - 1; }

// An interrupt test on `button` that the operator answers `answers` times.
std::string AnsweredInterruptTest(int button, int answers) {
    std::string boxes;
    for (int i = 1; i <= answers; ++i) boxes += Box(i);
    return InterruptTest(boxes + Line("Interrupttest on Button TA" + std::to_string(button) + " is Success!!!") +
                         Line("GPIO Pin " + std::to_string(button) + " is Success!!!"));
}

TEST(GpioOnGpioSim, AFallingEdgeDrivenFromSysfsReachesTheProgramsEvent) {
    // Button TA2 (GPIO 2) rests high; once the program has asked for the
    // line's edges, the test pulls it down: one interrupt, answered No.
    SetPull(Offset(2), true);
    auto pressWhenWatched = InDialogue([] {
        ASSERT_TRUE(WaitForGpioInterrupt(10000));
        SetPull(Offset(2), false);
    });
    RunOptions options;
    options.input = {{"3\n5\n2\n3\n"}, {"", kGpioTypePrompt, 1, 0, pressWhenWatched}, {"n\n0\n0\n", Box(1)}};
    RunResult run = RunProgram(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + AnsweredInterruptTest(2, 1) + MainMenu());
    EXPECT_EQ(run.trace, InterruptCalls(2, 5, 3, 1));
}

TEST(GpioOnGpioSim, ALowLevelInterruptRepeatsWhileTheLevelHolds) {
    // TA1 (GPIO 1) rests low: the Low interrupt comes at once and again
    // after the first answer, with no edge at all.
    SetPull(Offset(1), false);
    RunOptions options;
    options.input = {{"3\n5\n1\n0\n"}, {"y\n", Box(1)}, {"n\n0\n0\n", Box(2)}};
    RunResult run = RunProgram(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + AnsweredInterruptTest(1, 2) + MainMenu());
    EXPECT_EQ(run.trace, InterruptCalls(1, 6, 0, 2));
}

TEST(GpioOnGpioSim, SetPinDrivesTheLineAndGetPinReadsThePull) {
    // GPIO 40 is named by chip and offset in the map, GPIO 12 by line name.
    SetPull(Offset(12), true);
    int drivenLevel = -1;
    RunOptions options;
    options.input = {{"3\n3\n40\n1\n"},
                     {"4\n12\n0\n0\n", "Enter Test Number: ", 3, 0, InDialogue([&] { drivenLevel = LineLevel(Offset(40)); })}};
    RunResult run = RunProgram(options);
    const std::string setPin = TestHeader("Gpio Set Pin State") + "Enter Gpio Pin (e.g. 1 = GPIO_A): " +
                               "Enter Gpio State (e.g. 1|0): " + Line("GPIO Pin 40 is 1!!!") + GpioMenu();
    const std::string getPin = TestHeader("Gpio Get Pin State") + "Enter Gpio Pin (e.g. 1 = GPIO_A): " +
                               Line("Pin is High") + Line("GPIO Pin 12 is HIGH!!!") + GpioMenu();
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + setPin + getPin + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"GPIOSetDirection(40, 0, 0) = 1", "GPIOSetPin(40, 1) = 1", "GPIOGetPin(12) = 1"}));
    EXPECT_EQ(drivenLevel, 1);
}

TEST(GpioOnGpioSim, APinTheMapDoesNotNameFailsAndSaysWhy) {
    RunResult run = RunProgram("3\n4\n65\n0\n0\n");
    EXPECT_EQ(run.trace, (Trace{"GPIOGetPin(65) = -1 # no gpio.65 in board map " + kBoardMap}));
}

}  // namespace
