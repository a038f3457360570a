// Touch menu transcripts.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "program_run.h"

namespace {

const std::string kMenu = SubMenu("Select Touch Test!", {"Clear Touch Data Test", "Set Touch Data Test"});

std::string ClearTest(const char *status) {
    return TestHeader("Clear Touch Data Test") + Line(std::string("Clear Touch Data  is ") + status + "!!!") +
           kClosingLine + kMenu;
}

std::string SetTest(const char *status) {
    return TestHeader("Set Touch Data Test") + Line(std::string("Set Touch Data  is ") + status + "!!!") +
           kClosingLine + kMenu;
}

TEST(TouchMenu, ClearsAndCalibrates) {
    RunResult run = RunProgram("6\n1\n2\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kMenu + ClearTest("Success") + SetTest("Success") + MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"ClearTouchCalibrationData() = 1", "CalibrateTouch() = 1"}));
}

TEST(TouchMenu, ReportsLibraryFailures) {
    RunResult run = RunProgram("6\n1\n2\n2\n0\n0\n",
                               {{"QZHAL_SIM_FAIL", "ClearTouchCalibrationData,CalibrateTouch@2"}});
    EXPECT_EQ(run.output,
              MainMenu() + kMenu + ClearTest("Failed") + SetTest("Success") + SetTest("Failed") + MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"ClearTouchCalibrationData() = 0", "CalibrateTouch() = 1",
                                                   "CalibrateTouch() = 0"}));
}

TEST(TouchMenu, ChoiceThreeExplainsWithoutHeaderOrLibraryCall) {
    RunResult run = RunProgram("6\n3\n4\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kMenu + Line("Touch Data saved automatically after Setup Touch!") + kMenu +
                              NotValid() + kMenu + MainMenu());
    EXPECT_TRUE(run.trace.empty());
}

}  // namespace
