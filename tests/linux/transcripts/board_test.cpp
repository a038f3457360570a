// What the Linux board has no counterpart for, the versions it reports,
// the backlight in sysfs, and the board map's errors as the program's user
// sees them.
#include <gtest/gtest.h>

#include <sys/utsname.h>

#include "expected_text.h"
#include "kernel_side.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

const std::string kBacklight = "/sys/class/backlight/vm-backlight/brightness";

TEST(BoardOnLinux, BacklightLevelsAreScaledToTheDevicesRangeAndSuspendHasNoCounterpart) {
    // max_brightness is 100: 128 of 255 is 50.
    RunResult run = RunProgram("1\n1\n128\n2\n30\n0\n0\n0\n");
    EXPECT_EQ(run.trace, (Trace{"SetBacklightLevel(128) = 1",
                                "SetBacklightSuspend(30, 0) = 0 # Linux has no backlight suspend time in sysfs"}));
    EXPECT_EQ(ReadText(kBacklight), "50\n");
}

TEST(BoardOnLinux, KitlTouchCalibrationAndAnUnallowedRebootFailAndSayWhy) {
    RunResult run = RunProgram("2\n1\n2\n3\n1\n0\n6\n1\n2\n0\n0\n");
    EXPECT_EQ(run.trace, (Trace{"SoftReset() = 0 # board map " + kBoardMap + " does not allow a reboot",
                                "RestartPowerKITL() = 0 # Linux has no KITL transport",
                                "ControlPowerKITL(1) = 0 # Linux has no KITL transport",
                                "ClearTouchCalibrationData() = 0 # no touch calibration on Linux",
                                "CalibrateTouch() = 0 # no touch calibration on Linux"}));
}

TEST(BoardOnLinux, VersionsComeFromTheLibraryOsReleaseAndTheKernel) {
    WriteText("/etc/os-release", "NAME=\"Test\"\nVERSION_ID=\"12.4\"\n");
    utsname name;
    ASSERT_EQ(uname(&name), 0);
    RunResult run = RunProgram("7\n1\n2\n0\n0\n");
    const std::string menu = SubMenu("Select Version Test!", {"Get QZHalLib Version Test", "Get BSP Version Test",
                                                               "Get WinCE Image Version Test"});
    const std::string dashes = Line("-------------------------------------");
    EXPECT_EQ(run.output, MainMenu() + menu + TestHeader("Get QZHalLib Version Test") + dashes +
                              Line("QZHalLib Version: 1.0.0.0") + menu + TestHeader("Get BSP Version Test") +
                              dashes + Line("BSP Version: c.4.0.0") + menu + MainMenu());
    // Debian's kernel release reads like 6.1.0-27-amd64.
    unsigned major = 0, minor = 0, patch = 0, build = 0;
    ASSERT_EQ(std::sscanf(name.release, "%u.%u.%u-%u", &major, &minor, &patch, &build), 4);
    RunResult image = RunProgram("7\n3\n0\n0\n");
    EXPECT_EQ(image.trace, (Trace{"WinCEImageGetVersion() = " +
                                  std::to_string(major << 24 | minor << 16 | patch << 8 | build)}));
}

TEST(BoardOnLinux, ABspVersionThatCannotBeReadSaysWhy) {
    std::remove("/etc/os-release");
    RunResult missing = RunProgram("7\n2\n0\n0\n");
    WriteText("/etc/os-release", "NAME=\"Test\"\nVERSION_ID=\"testing\"\n");
    RunResult word = RunProgram("7\n2\n0\n0\n");
    WriteText("/etc/os-release", "NAME=\"Test\"\n");
    RunResult none = RunProgram("7\n2\n0\n0\n");
    EXPECT_EQ(missing.trace, (Trace{"BSPGetVersion() = 0 # cannot read /etc/os-release (No such file or directory)"}));
    EXPECT_EQ(word.trace,
              (Trace{"BSPGetVersion() = 0 # VERSION_ID \"testing\" in /etc/os-release is no version number"}));
    EXPECT_EQ(none.trace, (Trace{"BSPGetVersion() = 0 # no VERSION_ID in /etc/os-release"}));
}

TEST(BoardMapErrors, AMissingDeviceAndABrokenLineAreReportedOnceAndOnlyTheirCallsFail) {
    const std::string map = "/tmp/broken.conf";
    WriteText(map, "i2c.0 = /dev/i2c-9\ni2c.1 = /dev/i2c-1\ngpio.1 GPIO1\n");
    // Two I2C reads: the missing bus fails twice, the good one works.
    RunResult run = RunProgram("4\n2\n0\n0\n50\n0\n2\n0\n0\n50\n0\n2\n1\n0\n50\n0\n0\n0\n",
                               {{"QZHAL_BOARD_MAP", map}, {"QZHAL_TRACE", "-"}});
    const std::string missing = "board map " + map + " line 1: no device /dev/i2c-9";
    const std::string broken = "board map " + map + " line 3: expected \"key = value\", found \"gpio.1 GPIO1\"";
    // The syntax is checked first, then the devices.
    EXPECT_EQ(run.errors, "QZHalLib: " + broken + "\n# " + broken + "\nQZHalLib: " + missing + "\n# " + missing +
                              "\nI2CRead(0, 0, 80, 0, ptr) = 0 # " + missing +
                              "\nI2CRead(0, 0, 80, 0, ptr) = 0 # " + missing +
                              "\nI2CRead(1, 0, 80, 0, ptr) = 1\n");
    EXPECT_TRUE(run.trace.empty());

    RunResult noMap = RunProgram("1\n1\n5\n0\n0\n", {{"QZHAL_BOARD_MAP", "/tmp/none.conf"}});
    const std::string unreadable = "board map /tmp/none.conf: cannot read it (No such file or directory)";
    EXPECT_EQ(noMap.errors, "QZHalLib: " + unreadable + "\n");
    EXPECT_EQ(noMap.trace, (Trace{"# " + unreadable, "SetBacklightLevel(5) = 0 # " + unreadable}));
}

TEST(BoardMapErrors, TheCallsSayWhatReallyHappened) {
    // A missing map is the reason of the register calls and of the reset,
    // not a window or a permission the map would lack.
    const std::string none = "/tmp/none.conf";
    RunResult noMap = RunProgram("2\n1\n0\n5\n2\n1f000000\n1\n0\n0\n", {{"QZHAL_BOARD_MAP", none}});
    const std::string unreadable = " # board map " + none + ": cannot read it (No such file or directory)";
    EXPECT_EQ(noMap.trace, (Trace{unreadable.substr(1), "SoftReset() = 0" + unreadable,
                                  "ReadPhysicalAddress(1, 520093696, 32) = 0" + unreadable}));
    // An absent device whose key is given twice: the device is what is
    // missing (the first value stands, the second line is an error).
    const std::string map = "/tmp/twice.conf";
    WriteText(map, "uart.1 = /dev/ttyNONE\nuart.1 = /dev/ttyV0\n");
    RunResult twice = RunProgram("9\n1\n1 0 0 0 8 9600\nabc\n0\n0\n", {{"QZHAL_BOARD_MAP", map}});
    const std::string line1 = "board map " + map + " line 1: no device /dev/ttyNONE";
    const std::string line2 = "board map " + map + " line 2: uart.1 is given twice (first on line 1)";
    EXPECT_EQ(twice.trace, (Trace{"# " + line2, "# " + line1, "UARTOpen(1, 0, 9600) = 0 # " + line1}));
}

}  // namespace
