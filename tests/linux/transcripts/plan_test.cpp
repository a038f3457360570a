// The sample plan for this machine, one step or two per device, run
// unattended as a CI job runs it, and its JUnit report.
#include <gtest/gtest.h>

#include "kernel_side.h"
#include "program_run.h"

namespace {

bool Holds(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

TEST(PlanOnLinux, EveryDevicesStepPassesAndTheJunitReportSaysSo) {
    RunOptions options;
    options.arguments = {"--plan", kPayload + "/linux-test-machine.plan", "--junit", "/tmp/plan.xml"};
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
    EXPECT_TRUE(Holds(run.output, "15 passed, 0 failed in ")) << run.output;
    std::string junit = ReadText("/tmp/plan.xml");
    EXPECT_TRUE(Holds(junit, "<testsuite name=\"linux-test-machine.plan\" tests=\"15\" failures=\"0\"")) << junit;
    for (const char *testCase : {"<testcase name=\"backlight module\" classname=\"backlight\"",
                                 "<testcase name=\"gpio-sim line 10 reads high\" classname=\"gpio\"",
                                 "<testcase name=\"I2C bus 0 EEPROM: text read back\" classname=\"i2c\"",
                                 "<testcase name=\"I2C bus 1 EEPROM: byte read back\" classname=\"i2c\"",
                                 "<testcase name=\"memory window: register read back\" classname=\"phymem\"",
                                 "<testcase name=\"SPI loopback on chip select 0\" classname=\"spi\"",
                                 "<testcase name=\"SPI EEPROM read back\" classname=\"spi\"",
                                 "<testcase name=\"serial pair\" classname=\"uart\"",
                                 "<testcase name=\"vcan0\" classname=\"can\"",
                                 "<testcase name=\"library version\" classname=\"version\""})
        EXPECT_TRUE(Holds(junit, testCase)) << testCase;
    EXPECT_FALSE(Holds(junit, "<failure"));
}

}  // namespace
