// qzhal-probe in the test machine: its draft map names what the machine
// has, leaves what only the wiring tells commented, and loads without a
// single map error. (run-in-vm --probe-map runs the device tests with it.)
#include <gtest/gtest.h>

#include "kernel_side.h"
#include "program_run.h"

namespace {

// Whether `text` has a line that is `entry`, perhaps with a comment after it.
bool HasLine(const std::string &text, const std::string &entry) {
    std::string lines = "\n" + text;
    for (size_t at = lines.find("\n" + entry); at != std::string::npos; at = lines.find("\n" + entry, at + 1)) {
        char next = lines[at + 1 + entry.size()];
        if (next == '\n' || next == ' ') return true;
    }
    return false;
}

TEST(ProbeOnTheTestMachine, DraftsAMapOfItsDevicesThatLoadsWithoutAnError) {
    RunOptions probe;
    probe.program = kPayload + "/qzhal-probe";
    RunResult draft = RunProgram(probe);
    ASSERT_EQ(draft.exitCode, 0) << draft.errors;
    const std::string &map = draft.output;
    // Pins by the lines' names, buses by their numbers, the only CAN
    // interface and backlight; reboot stays off.
    for (const char *line :
         {"gpio.1 = GPIO1", "gpio.64 = GPIO64", "i2c.0 = /dev/i2c-0", "i2c.1 = /dev/i2c-1", "can.1 = vcan0",
          "backlight = vm-backlight", "reboot = no"})
        EXPECT_TRUE(HasLine(map, line)) << line << " missing from:\n" << map;
    // SPI order and the memory windows need the wiring: commented. The
    // console's port is no test port, and no unused ttyS is listed.
    for (const char *line : {"# spi.0 = /dev/spidev0.0", "# spi.1 = /dev/spidev0.1", "# memory = 0x020c4000 0x4000"})
        EXPECT_TRUE(HasLine(map, line)) << line << " missing from:\n" << map;
    EXPECT_NE(map.find("# /dev/ttyS0 ("), std::string::npos) << map;
    EXPECT_NE(map.find(") carries the kernel's console: not for tests\n"), std::string::npos) << map;
    EXPECT_EQ(map.find("ttyS1"), std::string::npos) << map;

    WriteText("/tmp/probe.conf", map);
    RunResult run = RunProgram("4\n2\n0\n0\n50\n0\n0\n0\n", {{"QZHAL_BOARD_MAP", "/tmp/probe.conf"}, {"QZHAL_TRACE", "-"}});
    EXPECT_EQ(run.errors, "I2CRead(0, 0, 80, 0, ptr) = 1\n");
}

}  // namespace
