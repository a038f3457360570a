// I2C on the SoC's first controller (i2c-imx) with QEMU's TMP105 at 0x48:
// the temperature the host set over QMP before the board started reads from
// its register 0, its configuration register takes a write, and a silent
// address fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "expected_text.h"
#include "i2c_texts.h"
#include "kernel_side.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

// Register 0's first byte: the whole degrees the host set
// ($QZHAL_TMP105_MILLIDEGREES, from the runner), two's complement.
std::string HostTemperatureByte() {
    const char *setting = std::getenv("QZHAL_TMP105_MILLIDEGREES");
    if (setting == nullptr) throw std::runtime_error("no QZHAL_TMP105_MILLIDEGREES from the runner");
    long degrees = std::strtol(setting, nullptr, 10) / 1000;
    char text[8];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(degrees) & 0xffu);
    return text;
}

TEST(I2cOnImx, TheHostsTemperatureReadsFromTheSensorAndItsConfigurationTakesAWrite) {
    const std::string temperature = HostTemperatureByte();
    // Register 0 (temperature), then 12-bit resolution (0x60) written to
    // the configuration register 1 and read back.
    RunResult run = RunProgram("4\n2\n0\n0\n48\n0\n1\n0\n0\n48\n1\n60\n2\n0\n1\n48\n1\n0\n0\n");
    EXPECT_EQ(run.output, I2cVisit(ReadTest("48", temperature, "Success") + WriteTest("48", "Success") +
                                   ReadTest("48", "60", "Success")));
    EXPECT_EQ(run.trace, (Trace{"I2CRead(0, 0, 72, 0, ptr) = 1", "I2CWrite(0, 0, 72, 1, 96) = 1",
                                "I2CRead(0, 1, 72, 1, ptr) = 1"}));
}

TEST(I2cOnImx, ASilentAddressFails) {
    RunResult run = RunProgram("4\n2\n0\n0\n51\n0\n0\n0\n");
    EXPECT_EQ(run.output, I2cVisit(ReadTest("51", "0", "Failed")));
    ASSERT_EQ(run.trace.size(), 1u);
    // i2c-imx reports QEMU's unanswered address as a time-out, where the
    // test machine's bus says ENXIO: only the failure and the address count.
    EXPECT_EQ(run.trace[0].rfind("I2CRead(0, 0, 81, 0, ptr) = 0 # I2C bus 0 device 0x51", 0), 0u) << run.trace[0];
}

}  // namespace
