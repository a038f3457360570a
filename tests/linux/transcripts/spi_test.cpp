// SPI through spidev: the loopback on chip select 0 returns frames of any
// bit count laid out as the transmit words, and the 25AA010A EEPROM on chip
// select 1 answers in modes 0 and 3 only.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "kernel_side.h"
#include "program_run.h"
#include "spi_texts.h"

namespace {

TEST(SpiOnSpidev, TheLoopbackReturnsFramesOfWholeBytesOddBitsAndAnOddTail) {
    // 12 bits go as one 12-bit word, 40 bits as four bytes and an 8-bit
    // tail, 45 bits as four bytes and a 13-bit tail: each comes back whole.
    RunResult run = RunProgram("8\n1\n2\n0\n12\nabc\n1\n2\n1\n40\nffff 0xab\n1\n2\n3\n45\n12345678 1abc\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + WriteReadTest(1, "Success", {"abc"}) +
                              WriteReadTest(2, "Success", {"ffff", "ab"}) +
                              WriteReadTest(2, "Success", {"12345678", "1abc"}) + MainMenu());
    EXPECT_EQ(run.trace, Concat({Session(1, 0, {"SPIExchange(1, 12, [00000abc], ptr) = 1"}),
                                 Session(1, 1, {"SPIExchange(1, 40, [0000ffff 000000ab], ptr) = 1"}),
                                 Session(1, 3, {"SPIExchange(1, 45, [12345678 00001abc], ptr) = 1"})}));
}

TEST(SpiOnSpidev, TheEepromTakesAWriteInModeZeroAndIgnoresOneInModeOne) {
    RunOptions options;
    options.input = {{"8\n4\n1\n0\n2\n20\n1\n5a\n"},
                     AfterWrite("4\n1\n1\n2\n20\n1\na5\n"),
                     AfterWrite("5\n1\n3\n3\n20\n1\n0\n0\n", 2)};
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + FlashWrite(1, "ffffff is Success!!!") +
                              FlashWrite(1, "ffffff is Success!!!") + FlashRead("5a is Success!!!") + MainMenu());
    EXPECT_EQ(run.trace, Concat({FlashWriteSession(0, "0002205a"), FlashWriteSession(1, "000220a5"),
                                 Session(0, 3, {"SPIExchange(0, 24, [00032000], ptr) = 1"})}));
}

}  // namespace
