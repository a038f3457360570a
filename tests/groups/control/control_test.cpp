// Control menu transcripts.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "program_run.h"

namespace {

const std::string kMenu = SubMenu("Select Control Test!", {"Reboot Device", "Restart KITL", "Control Power KITL"});
const std::string kPowerPrompt = "Enter KITL Power Status: (0 = Off, 1 = On)";

std::string PowerTest(const std::string &after) {
    return TestHeader("Restart KITL Connection") + kPowerPrompt + after + kClosingLine + kMenu;
}

TEST(ControlReboot, ResetsAndShowsTheMenuAgainWithoutAResultLine) {
    RunResult run = RunProgram("2\n1\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kMenu + TestHeader("Reboot Device") + kMenu + MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"SoftReset() = 1"}));
}

TEST(ControlRestartKitl, ReportsSuccessWhileKitlIsPowered) {
    RunResult run = RunProgram("2\n2\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kMenu + TestHeader("Restart KITL Connection") +
                              Line("Restart KITL is Success!!!") + kClosingLine + kMenu + MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"RestartPowerKITL() = 1"}));
}

TEST(ControlPowerKitl, ZeroWarnsAndSwitchesOffSoARestartFails) {
    RunResult run = RunProgram("2\n3\n0\n2\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kMenu +
                              PowerTest(Line("Attention!!! KITL Connection is Shutting down!!!") +
                                        Line("Control KITL is Success!!!")) +
                              TestHeader("Restart KITL Connection") + Line("Restart KITL is Failed!!!") +
                              kClosingLine + kMenu + MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"ControlPowerKITL(0) = 1", "RestartPowerKITL() = 0"}));
}

TEST(ControlPowerKitl, AnyNonZeroStatusSwitchesOnWithoutWarning) {
    RunResult run = RunProgram("2\n3\n5\n3\n-1\n3\n1\n0\n0\n");
    const std::string success = PowerTest(Line("Control KITL is Success!!!"));
    EXPECT_EQ(run.output, MainMenu() + kMenu + success + success + success + MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"ControlPowerKITL(1) = 1", "ControlPowerKITL(1) = 1",
                                                   "ControlPowerKITL(1) = 1"}));
}

TEST(ControlPowerKitl, ReportsALibraryFailure) {
    RunResult run = RunProgram("2\n3\n1\n0\n0\n", {{"QZHAL_SIM_FAIL", "ControlPowerKITL"}});
    EXPECT_EQ(run.output, MainMenu() + kMenu + PowerTest(Line("Control KITL is Failed!!!")) + MainMenu());
}

TEST(ControlMenu, RefusesUnlistedChoices) {
    RunResult run = RunProgram("2\n4\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kMenu + NotValid() + kMenu + MainMenu());
    EXPECT_TRUE(run.trace.empty());
}

}  // namespace
