// Physical registers through /dev/mem, inside the board map's window
// 0x1f000000..0x1f00ffff only: its last word reads and writes, the word past
// it is refused without being mapped, and the kernel's view of the window
// holds what the program wrote.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "kernel_side.h"
#include "phymem_texts.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

TEST(PhymemOnDevMem, TheWindowsLastWordWorksAndTheWordPastItIsRefused) {
    RunResult run = RunProgram("5\n1\n1f00fffc\n1\n12345678\n2\n1f00fffc\n1\n1\n1f010000\n1\n5\n2\n1f010000\n1\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kPhymemMenu + WriteRegister("1", "1f00fffc", "12345678", true) +
                              ReadRegister("1", "1f00fffc", "12345678") + WriteRegister("1", "1f010000", "5", false) +
                              ReadRegister("1", "1f010000", "0") + MainMenu());
    const std::string outside = " # 0x1f010000 is outside the memory windows of board map " + kBoardMap;
    EXPECT_EQ(run.trace, (Trace{"WritePhysicalAddress(1, 520159228, 32, 305419896, 1) = 305419896",
                                "ReadPhysicalAddress(1, 520159228, 32) = 305419896",
                                "WritePhysicalAddress(1, 520159232, 32, 5, 1) = -1" + outside,
                                "ReadPhysicalAddress(1, 520159232, 32) = 0" + outside}));
    EXPECT_EQ(WindowWord(0x1f00fffc), 0x12345678u);
}

}  // namespace
