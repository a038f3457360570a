// GPIO on the SoC's own banks (gpio-mxc) and the same bank's registers
// through /dev/mem: a level the program drives through the GPIO character
// device is the bit the program's register test reads in the bank's data
// register, and a bit the register test writes is the level the program
// reads from the line. Two paths to one register must agree.
#include <gtest/gtest.h>

#include <cstdio>

#include "expected_text.h"
#include "gpio_texts.h"
#include "kernel_side.h"
#include "phymem_texts.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

// The third bank (20a4000.gpio): data register, direction register, and the
// first word past the board map's window over its registers.
constexpr uint32_t kData = 0x020a4000;
constexpr uint32_t kDirection = 0x020a4004;
// The map's lines of the LED 1 (GPIO 6) and of GPIO 10 on that bank.
constexpr uint32_t kLed1Bit = 1u << 6;
constexpr uint32_t kPin10Bit = 1u << 10;

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

std::string Led1Test(int level) {
    return LedTest(Line(level ? "Pin is High" : "Pin is Low") + Line("GPIO 6 Test isSuccess!!!"));
}

std::string SetPin10(int level) { return SetPinTest("GPIO Pin 10 is " + std::to_string(level) + "!!!"); }

// LED 1 and GPIO 10 driven to `level`, then the data register read by the
// program: its bits of both lines show the level, and its value is the
// register's as the kernel side reads it afterwards.
void DriveAndReadBack(int level) {
    const std::string state = std::to_string(level);
    RunResult run = RunProgram("3\n2\n1\n" + state + "\n3\n10\n" + state + "\n0\n5\n2\n20a4000\n1\n0\n0\n");
    uint32_t data = WindowWord(kData);
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() + Led1Test(level) + SetPin10(level) + MainMenu() + kPhymemMenu +
                              ReadRegister("1", Hex(kData), Hex(data)) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"GPIOSetDirection(6, 0, 0) = 1", "GPIOSetPin(6, " + state + ") = 1",
                                "GPIOGetPin(6) = " + state, "GPIOSetDirection(10, 0, 0) = 1",
                                "GPIOSetPin(10, " + state + ") = 1",
                                "ReadPhysicalAddress(1, " + std::to_string(kData) + ", 32) = " +
                                    std::to_string(static_cast<int32_t>(data))}));
    const uint32_t both = kLed1Bit | kPin10Bit;
    EXPECT_EQ(data & both, level ? both : 0u) << "data register 0x" << Hex(data);
    EXPECT_EQ(WindowWord(kDirection) & both, both) << "both lines are outputs";
}

TEST(GpioOnMxc, LevelsDrivenThroughTheCharacterDeviceAreTheDataRegistersBits) {
    DriveAndReadBack(1);
    DriveAndReadBack(0);
}

TEST(GpioOnMxc, ABitWrittenToTheDataRegisterIsTheLevelReadFromTheLine) {
    // GPIO 10 made a low output, then its bit set by a register write that
    // keeps the bank's other bits: the line, read as it stands, is high.
    RunResult low = RunProgram("3\n3\n10\n0\n0\n0\n");
    ASSERT_EQ(low.trace, (Trace{"GPIOSetDirection(10, 0, 0) = 1", "GPIOSetPin(10, 0) = 1"}));
    const std::string value = Hex(WindowWord(kData) | kPin10Bit);
    RunResult run = RunProgram("5\n1\n20a4000\n1\n" + value + "\n0\n3\n4\n10\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kPhymemMenu + WriteRegister("1", Hex(kData), value, true) + MainMenu() +
                              GpioMenu() + GetPinTest("Pin is High", "GPIO Pin 10 is HIGH!!!") + MainMenu());
    EXPECT_EQ(run.trace.back(), "GPIOGetPin(10) = 1");
    EXPECT_EQ(WindowWord(kData) & kPin10Bit, kPin10Bit);
}

TEST(GpioOnMxc, RegistersOutsideTheMapsWindowAreRefusedUntouched) {
    // The window covers the bank's eight registers; the ninth word is the
    // first outside.
    const uint32_t before = WindowWord(kData + 0x20);
    RunResult run = RunProgram("5\n1\n20a4020\n1\n5\n2\n20a4020\n1\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kPhymemMenu + WriteRegister("1", "20a4020", "5", false) +
                              ReadRegister("1", "20a4020", "0") + MainMenu());
    const std::string outside = " # 0x20a4020 is outside the memory windows of board map " + kBoardMap;
    EXPECT_EQ(run.trace, (Trace{"WritePhysicalAddress(1, 34226208, 32, 5, 1) = -1" + outside,
                                "ReadPhysicalAddress(1, 34226208, 32) = 0" + outside}));
    EXPECT_EQ(WindowWord(kData + 0x20), before);
}

}  // namespace
