// Backlight menu transcripts.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "program_run.h"

namespace {

const std::string kMenu = SubMenu("Select Backlight Test!", {"Set Backlight Brightness", "Set Backlight Suspend"});
const std::string kLevelPrompt = "Enter Backlight Level: (0 ... 255): ";
const std::string kTimePrompt = "Enter Backlight Suspend Time: (0 ... 360): ";
const std::string kOptionPrompt = "Enter Backlight Suspend Enable: (0 = On, 1 = Off): ";

std::string Brightness(const std::string &after) {
    return TestHeader("Set Backlight Brightness Test") + kLevelPrompt + after + kMenu;
}

std::string Suspend(const std::string &after) {
    return TestHeader("Set Backlight Suspend Test") + kTimePrompt + kOptionPrompt + after + kMenu;
}

std::string SuspendResult(const char *status) {
    return Line(std::string("Set Backlight Suspend:  is ") + status + "!!!") + kClosingLine;
}

TEST(BacklightBrightness, AcceptsZeroAndTwoHundredFiftyFive) {
    RunResult run = RunProgram("1\n1\n0\n1\n255\n0\n0\n");
    const std::string success = Line("Set Backlight Brightness  is Success!!!") + kClosingLine;
    EXPECT_EQ(run.output, MainMenu() + kMenu + Brightness(success) + Brightness(success) + MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"SetBacklightLevel(0) = 1", "SetBacklightLevel(255) = 1"}));
}

TEST(BacklightBrightness, RefusesLevelsOutOfRangeWithoutCallingTheLibrary) {
    RunResult run = RunProgram("1\n1\n256\n1\n-1\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kMenu +
                              Brightness(Line("Invalid Value!!! Value must be less than 256!!!")) +
                              Brightness(Line("Invalid Value!!! Value must be greater than 0!!!")) + MainMenu());
    EXPECT_TRUE(run.trace.empty());
}

TEST(BacklightBrightness, ReportsALibraryFailure) {
    RunResult run = RunProgram("1\n1\n100\n0\n0\n", {{"QZHAL_SIM_FAIL", "SetBacklightLevel"}});
    EXPECT_EQ(run.output, MainMenu() + kMenu +
                              Brightness(Line("Set Backlight Brightness  is Failed!!!") + kClosingLine) +
                              MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"SetBacklightLevel(100) = 0"}));
}

TEST(BacklightSuspend, TimesOutOfRangeOnlyWarnAndGoToTheLibraryAsTyped) {
    RunResult run = RunProgram("1\n2\n400\n0\n2\n-5\n1\n2\n0\n0\n2\n360\n1\n0\n0\n");
    EXPECT_EQ(run.output,
              MainMenu() + kMenu +
                  Suspend(Line("Backlight Suspend Time must be less than 360 Seconds") + SuspendResult("Success")) +
                  Suspend(Line("Backlight Suspend Time must be greater than 0 Seconds") + SuspendResult("Failed")) +
                  Suspend(SuspendResult("Success")) + Suspend(SuspendResult("Success")) + MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"SetBacklightSuspend(400, 0) = 1", "SetBacklightSuspend(-5, 1) = 0",
                                                   "SetBacklightSuspend(0, 0) = 1",
                                                   "SetBacklightSuspend(360, 1) = 1"}));
}

TEST(BacklightSuspend, InvalidOptionKeepsTheLastValidOneOfTheVisit) {
    RunResult run = RunProgram("1\n2\n10\n1\n2\n20\n7\n0\n0\n");
    const std::string invalidOption = Line("Enter valid Option to Enable/Disable Backlight Suspend");
    EXPECT_EQ(run.output, MainMenu() + kMenu + Suspend(SuspendResult("Success")) +
                              Suspend(invalidOption + SuspendResult("Success")) + MainMenu());
    EXPECT_EQ(run.trace,
              (std::vector<std::string>{"SetBacklightSuspend(10, 1) = 1", "SetBacklightSuspend(20, 1) = 1"}));
}

TEST(BacklightSuspend, InvalidOptionBeforeAnyValidOneMeansSuspendOn) {
    // A new visit of the menu forgets the option of the last one.
    RunResult run = RunProgram("1\n2\n10\n1\n0\n1\n2\n30\n-4\n0\n0\n");
    EXPECT_EQ(run.trace,
              (std::vector<std::string>{"SetBacklightSuspend(10, 1) = 1", "SetBacklightSuspend(30, 0) = 1"}));
    EXPECT_NE(run.output.find(Line("Enter valid Option to Enable/Disable Backlight Suspend") + SuspendResult("Success")),
              std::string::npos);
}

TEST(BacklightMenu, RefusesUnlistedChoices) {
    RunResult run = RunProgram("1\n3\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kMenu + NotValid() + kMenu + MainMenu());
}

}  // namespace
