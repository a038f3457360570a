// The main menu, run as the operator sees it.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "program_run.h"

namespace {

const std::string kVersionMenu =
    SubMenu("Select Version Test!",
            {"Get QZHalLib Version Test", "Get BSP Version Test", "Get WinCE Image Version Test"});

TEST(MainMenu, ZeroAtOnceEndsWithExitCodeOneAfterOneMenu) {
    RunResult run = RunProgram("0\n");
    EXPECT_EQ(run.output, MainMenu());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.trace.empty());
    EXPECT_EQ(run.errors, "");
}

TEST(MainMenu, UnlistedAndNegativeChoicesAreRefused) {
    RunResult run = RunProgram("11\n-1\n0\n");
    EXPECT_EQ(run.output, MainMenu() + NotValid() + MainMenu() + NotValid() + MainMenu());
    EXPECT_EQ(run.exitCode, 1);
}

TEST(MainMenu, TextOrAnOversizedNumberCountsAsAnUnlistedChoice) {
    RunResult run = RunProgram("abc def\n99999999999\n0\n");
    EXPECT_EQ(run.output, MainMenu() + NotValid() + MainMenu() + NotValid() + MainMenu());
    EXPECT_EQ(run.exitCode, 1);
}

TEST(MainMenu, ReturningFromASubMenuShowsTheFullMenuAgain) {
    RunResult run = RunProgram("7\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kVersionMenu + MainMenu());
}

TEST(MainMenu, TenIsReadInDecimalAfterAHexadecimalLookingValue) {
    // 0x20 at the decimal level prompt reads 0 and leaves x20, an unlisted
    // choice at the backlight menu; 10 then selects the CAN menu, left with 0.
    RunResult run = RunProgram("1\n1\n0x20\n0\n10\n0\n");
    const std::string backlightMenu =
        SubMenu("Select Backlight Test!", {"Set Backlight Brightness", "Set Backlight Suspend"});
    EXPECT_EQ(run.output, MainMenu() + backlightMenu + TestHeader("Set Backlight Brightness Test") +
                              "Enter Backlight Level: (0 ... 255): " +
                              Line("Set Backlight Brightness  is Success!!!") + kClosingLine + backlightMenu +
                              NotValid() + backlightMenu + MainMenu() +
                              SubMenu("Select CAN Test!", {"Write Test", "Read Test", "Remote Write Test",
                                                           "Remote Read Test", "Filter Write Test", "Filter Read Test",
                                                           "Async Read/Write Test"}) +
                              MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"SetBacklightLevel(0) = 1"}));
    EXPECT_EQ(run.exitCode, 1);
}

TEST(MainMenu, TenSelectsTheCanMenuRightAfterHexadecimalPrompts) {
    // The register read takes its address and channel in hexadecimal; the
    // next main-menu choice 10 is still ten.
    RunResult run = RunProgram("5\n2\n0x10000000\n1\n0\n10\n0\n");
    const std::string canMenu =
        SubMenu("Select CAN Test!", {"Write Test", "Read Test", "Remote Write Test", "Remote Read Test",
                                     "Filter Write Test", "Filter Read Test", "Async Read/Write Test"});
    const std::string ending = MainMenu() + canMenu + MainMenu();
    ASSERT_GE(run.output.size(), ending.size());
    EXPECT_EQ(run.output.substr(run.output.size() - ending.size()), ending);
    EXPECT_NE(run.output.find("Memory Read Test Register: 10000000 | Value: ab01 | Success!!!"), std::string::npos);
    EXPECT_EQ(run.trace, (std::vector<std::string>{"ReadPhysicalAddress(1, 268435456, 32) = 43777"}));
    EXPECT_EQ(run.exitCode, 1);
}

TEST(MainMenu, EndOfInputEndsTheProgramLikeZero) {
    RunResult run = RunProgram("");
    EXPECT_EQ(run.output, MainMenu());
    EXPECT_EQ(run.exitCode, 1);

    RunResult insideMenu = RunProgram("7\n1\n");
    EXPECT_FALSE(insideMenu.timedOut);
    EXPECT_EQ(insideMenu.exitCode, 1);
    EXPECT_EQ(insideMenu.output.substr(insideMenu.output.size() - std::string(kTestNumberPrompt).size()),
              kTestNumberPrompt);
}

TEST(MainMenu, FailedStartUpPrintsTheFatalErrorAndNoMenu) {
    RunOptions options;
    options.program = FaultInjectingProgram();
    options.input.push_back({"0\n"});
    options.environment["QZHAL_PLATFORM_FAIL"] = "AfxWinInit";
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.output, "Fatal Error: MFC initialization failed\n");
    EXPECT_EQ(run.exitCode, 1);
}

}  // namespace
