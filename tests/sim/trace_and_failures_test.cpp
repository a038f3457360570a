// The simulated board's call trace, injected failures and cap on waits,
// seen through the program.
#include <gtest/gtest.h>

#include <chrono>

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

// A filtered read that no frame passes would wait out the test's 30 s
// message timeout; the cap ends it as a time-out within the cap.
TEST(SimulatedBoard, WaitCapEndsACanReadNothingAnswers) {
    auto start = std::chrono::steady_clock::now();
    RunResult run = RunProgram("10\n6\n0\n500000\n0x100\n0x7ff\n8\n0\n0\n", {{"QZHAL_SIM_WAIT_CAP_MS", "50"}});
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.trace, (std::vector<std::string>{"CANOpen(1) = 1", "CANConfigureMode(1, 0, 500000, 0, 0) = 1",
                                                   "CANConfigureMessage(1, 0, 0, 0, 30000, 1) = 1",
                                                   "CANConfigureFilter(1, 256, 2047, 0, 0) = 1",
                                                   "CANRead(1, ptr, 8, null) = 0", "CANClose(1) = 1"}));
    EXPECT_LT(took, std::chrono::seconds(10));
}

}  // namespace
