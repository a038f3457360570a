// The simulated board's call trace and injected failures, seen through the
// program.
#include <gtest/gtest.h>

#include "program_run.h"

namespace {

TEST(SimulatedBoard, FailsOnlyTheNamedCallOfAFunction) {
    RunResult run = RunProgram("7\n1\n1\n1\n0\n0\n", {{"QZHAL_SIM_FAIL", "QZHalLibGetVersion@2, Unknown"}});
    EXPECT_EQ(run.trace, (std::vector<std::string>{"QZHalLibGetVersion() = 17039873",
                                                   "QZHalLibGetVersion() = 0",
                                                   "QZHalLibGetVersion() = 17039873"}));
}

TEST(SimulatedBoard, FailsEveryCallOfANamedFunction) {
    RunResult run = RunProgram("6\n1\n1\n2\n0\n0\n", {{"QZHAL_SIM_FAIL", "ClearTouchCalibrationData"}});
    EXPECT_EQ(run.trace, (std::vector<std::string>{"ClearTouchCalibrationData() = 0",
                                                   "ClearTouchCalibrationData() = 0",
                                                   "CalibrateTouch() = 1"}));
}

TEST(SimulatedBoard, TracesToStandardErrorAndNeverToTheConsole) {
    RunResult run = RunProgram("2\n3\n0\n0\n0\n", {{"QZHAL_SIM_TRACE", "-"}});
    EXPECT_EQ(run.errors, "ControlPowerKITL(0) = 1\n");
    EXPECT_EQ(run.output.find("ControlPowerKITL"), std::string::npos);
}

TEST(SimulatedBoard, UnsignedResultsAreTracedAsUnsigned) {
    RunResult run = RunProgram("7\n2\n3\n0\n0\n");
    EXPECT_EQ(run.trace, (std::vector<std::string>{"BSPGetVersion() = 118095875",
                                                   "WinCEImageGetVersion() = 117447211"}));
}

}  // namespace
