// Version menu transcripts.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "program_run.h"

namespace {

const std::string kMenu = SubMenu("Select Version Test!", {"Get QZHalLib Version Test", "Get BSP Version Test",
                                                           "Get WinCE Image Version Test"});
const std::string kVersionDashes = Line("-------------------------------------");  // 37

TEST(VersionMenu, ShowsEachVersionWordFieldByFieldInHexadecimal) {
    RunResult run = RunProgram("7\n1\n2\n3\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kMenu + TestHeader("Get QZHalLib Version Test") + kVersionDashes +
                              Line("QZHalLib Version: 1.4.2.1") + kMenu +
                              TestHeader("Get BSP Version Test") + kVersionDashes +
                              Line("BSP Version: 7.a.0.3") + kMenu +
                              TestHeader("Get WinCE Image Version Test") + kVersionDashes +
                              Line("WinCE Image Version: 7.0.1a.2b") + kMenu + MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"QZHalLibGetVersion() = 17039873",
                                                   "BSPGetVersion() = 118095875",
                                                   "WinCEImageGetVersion() = 117447211"}));
    EXPECT_EQ(run.exitCode, 1);
}

TEST(VersionMenu, ShowsWhateverTheLibraryReturnsEvenZero) {
    RunResult run = RunProgram("7\n3\n0\n0\n", {{"QZHAL_SIM_FAIL", "WinCEImageGetVersion"}});
    EXPECT_EQ(run.output, MainMenu() + kMenu + TestHeader("Get WinCE Image Version Test") + kVersionDashes +
                              Line("WinCE Image Version: 0.0.0.0") + kMenu + MainMenu());
}

TEST(VersionMenu, RefusesUnlistedChoices) {
    RunResult run = RunProgram("7\n4\n-3\nv\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kMenu + NotValid() + kMenu + NotValid() + kMenu + NotValid() + kMenu +
                              MainMenu());
    EXPECT_TRUE(run.trace.empty());
}

}  // namespace
