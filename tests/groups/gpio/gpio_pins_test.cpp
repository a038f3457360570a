// GPIO menu transcripts: the menu and the pin-level tests.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "gpio_texts.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

std::string Loopback(const std::string &result) {
    return TestHeader("Gpio Loopback Test") + "Enter Gpio1 Pin (e.g. 1 = GPIO_A): " +
           "Enter Gpio2 Pin (e.g. 2 = GPIO_B): " + Line(result) + kClosingLine + GpioMenu();
}

std::string PinState(const std::string &title, const std::string &result) {
    return TestHeader(title) + "Enter Gpio Pin State (e.g. 0 = Off, 1 = On): " + Line(result) + GpioMenu();
}

TEST(GpioMenu, RefusesUnlistedChoicesAndReturnsOnZero) {
    RunResult run = RunProgram("3\n9\n-1\nabc\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + NotValid() + GpioMenu() + NotValid() + GpioMenu() + NotValid() +
                              GpioMenu() + MainMenu());
    EXPECT_TRUE(run.trace.empty());
    EXPECT_EQ(run.exitCode, 1);
}

TEST(GpioLoopback, JoinedPinsSucceedAndUnjoinedOnesFail) {
    RunResult run = RunProgram("3\n1\n1\n2\n1\n1\n10\n1\n4 3\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + Loopback("Loopback Test GPIO 1 to 2 is Success!!!") +
                              Loopback("Loopback Test GPIO 1 to 10 is Failed!!!") +
                              Loopback("Loopback Test GPIO 4 to 3 is Success!!!") + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"GPIOSetDirection(1, 0, 0) = 1", "GPIOSetDirection(2, 1, 0) = 1",
                                "GPIOSetPin(1, 1) = 1", "GPIOGetPin(2) = 1",
                                "GPIOSetDirection(1, 0, 0) = 1", "GPIOSetDirection(10, 1, 0) = 1",
                                "GPIOSetPin(1, 1) = 1", "GPIOGetPin(10) = 0",
                                "GPIOSetDirection(4, 0, 0) = 1", "GPIOSetDirection(3, 1, 0) = 1",
                                "GPIOSetPin(4, 1) = 1", "GPIOGetPin(3) = 1"}));
}

TEST(GpioLed, DrivesTheMappedGpioAndReadsItBack) {
    // LED 1 is GPIO 6 and LED 2 is GPIO 5; any state but 1 drives low.
    RunResult run = RunProgram("3\n2\n1\n1\n2\n2\n2\n2\n4\n0\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() +
                              LedTest(Line("Pin is High") + Line("GPIO 6 Test isSuccess!!!")) +
                              LedTest(Line("Pin is Low") + Line("GPIO 5 Test isSuccess!!!")) +
                              LedTest(Line("Pin is Low") + Line("GPIO 9 Test isSuccess!!!")) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"GPIOSetDirection(6, 0, 0) = 1", "GPIOSetPin(6, 1) = 1", "GPIOGetPin(6) = 1",
                                "GPIOSetDirection(5, 0, 0) = 1", "GPIOSetPin(5, 0) = 1", "GPIOGetPin(5) = 0",
                                "GPIOSetDirection(9, 0, 0) = 1", "GPIOSetPin(9, 0) = 1", "GPIOGetPin(9) = 0"}));
}

TEST(GpioLed, NumbersOutsideOneToFourAskForTheStateAndTouchNothing) {
    RunResult run = RunProgram("3\n2\n5\n1\n2\n0\n0\n0\n0\n");
    const std::string refused = Line("Enter valid LED Number (1 to 4)");
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + LedTest(refused) + LedTest(refused) + MainMenu());
    EXPECT_TRUE(run.trace.empty());
}

TEST(GpioLed, AFailedReadBackIsAFailureEvenForALowLed) {
    RunResult run = RunProgram("3\n2\n3\n0\n2\n3\n1\n0\n0\n", {{"QZHAL_SIM_FAIL", "GPIOGetPin"}});
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + LedTest(Line("Pin is Low") + Line("GPIO 8 Test isFailed!!!")) +
                              LedTest(Line("Pin is Low") + Line("GPIO 8 Test isFailed!!!")) + MainMenu());
    EXPECT_EQ(run.trace.at(2), "GPIOGetPin(8) = -1");
}

TEST(GpioSetAndGetPin, SetDrivesTheTypedLevelAndGetReadsThePinAsItStands) {
    // Pin 3 driven high shows on pin 4 through the jumper; pin 65 does not
    // exist (-1) and pin 10 is pulled down: both read low.
    RunResult run = RunProgram("3\n3\n3\n2\n3\n3\n1\n4\n4\n4\n65\n4\n10\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + SetPinTest("GPIO Pin 3 is 0!!!") + SetPinTest("GPIO Pin 3 is 1!!!") +
                              GetPinTest("Pin is High", "GPIO Pin 4 is HIGH!!!") +
                              GetPinTest("Pin is Low", "GPIO Pin 65 is LOW!!!") +
                              GetPinTest("Pin is Low", "GPIO Pin 10 is LOW!!!") + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"GPIOSetDirection(3, 0, 0) = 1", "GPIOSetPin(3, 0) = 1",
                                "GPIOSetDirection(3, 0, 0) = 1", "GPIOSetPin(3, 1) = 1", "GPIOGetPin(4) = 1",
                                "GPIOGetPin(65) = -1", "GPIOGetPin(10) = 0"}));
}

TEST(GpioPinState, WritesThePwmAndIntPrioPinsAndReadsThemBack) {
    RunResult run = RunProgram("3\n7\n7\n7\n1\n8\n1\n8\n0\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + PinState("Gpio PWM Pin State", "GPIO PWM Pin State is Success!!!") +
                              PinState("Gpio PWM Pin State", "GPIO PWM Pin State is Success!!!") +
                              PinState("Gpio INT_PRIO Pin State", "GPIO INT_PRIO Pin State is Success!!!") +
                              PinState("Gpio INT_PRIO Pin State", "GPIO INT_PRIO Pin State is Success!!!") +
                              MainMenu());
    EXPECT_EQ(run.trace, (Trace{"GPIOSetPin(28, 0) = 1", "GPIOGetPin(28) = 0", "GPIOSetPin(28, 1) = 1",
                                "GPIOGetPin(28) = 1", "GPIOSetPin(29, 1) = 1", "GPIOGetPin(29) = 1",
                                "GPIOSetPin(29, 0) = 1", "GPIOGetPin(29) = 0"}));
}

TEST(GpioPinState, AReadBackThatDiffersFromTheLevelWrittenFails) {
    // A refused write leaves GPIO 28 low; a failed read of GPIO 29 gives -1.
    RunResult run = RunProgram("3\n7\n1\n8\n0\n0\n0\n", {{"QZHAL_SIM_FAIL", "GPIOSetPin@1,GPIOGetPin@2"}});
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + PinState("Gpio PWM Pin State", "GPIO PWM Pin State is Failed!!!") +
                              PinState("Gpio INT_PRIO Pin State", "GPIO INT_PRIO Pin State is Failed!!!") + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"GPIOSetPin(28, 1) = 0", "GPIOGetPin(28) = 0", "GPIOSetPin(29, 0) = 1",
                                "GPIOGetPin(29) = -1"}));
}

}  // namespace
