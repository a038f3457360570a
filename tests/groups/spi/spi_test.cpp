// SPI menu transcripts: exchanges with the loopback device (typed device 2)
// and the 25AA010A EEPROM (typed device 1).
#include <gtest/gtest.h>

#include "expected_text.h"
#include "program_run.h"
#include "spi_texts.h"

namespace {

using Trace = std::vector<std::string>;

TEST(SpiExchange, BitCountSetsTheNumberOfDataWordsAndRegisterLines) {
    RunResult run = RunProgram("8\n1\n2\n0\n32\nffff\n1\n2\n0\n33\n1 0x2\n1\n2\n3\n128\n11 22 33 44\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + WriteReadTest(1, "Success", {"ffff"}) +
                              WriteReadTest(2, "Success", {"1", "0"}) +
                              WriteReadTest(4, "Success", {"11", "22", "33", "44"}) + MainMenu());
    // 33 bits take all of word 0 and the low bit of word 1.
    EXPECT_EQ(run.trace, Concat({Session(1, 0, {"SPIExchange(1, 32, [0000ffff], ptr) = 1"}),
                                 Session(1, 0, {"SPIExchange(1, 33, [00000001 00000002], ptr) = 1"}),
                                 Session(1, 3,
                                         {"SPIExchange(1, 128, [00000011 00000022 00000033 00000044], ptr) = 1"})}));
}

TEST(SpiExchange, LoopbackTestReturnsAFortyBitExchange) {
    RunResult run = RunProgram("8\n3\n2\n1\n40\n0x0000ffff\nab\n0\n0\n");
    EXPECT_EQ(run.output,
              MainMenu() + SpiMenu() +
                  Listed("SPI Write/Read Loopback Test",
                       kSpiDevicePrompts + kSpiBitCountPrompt + DataPrompts(2) +
                           Line("SPI Write/Read Loopback Test is Success!!!") + RegisterLines({"ffff", "ab"})) +
                  MainMenu());
    EXPECT_EQ(run.trace, Session(1, 1, {"SPIExchange(1, 40, [0000ffff 000000ab], ptr) = 1"}));
}

TEST(SpiExchange, ZeroAndNegativeBitCountsAskForOneWordAndReachTheLibraryUnchanged) {
    RunResult run = RunProgram("8\n1\n2\n0\n0\n5\n1\n2\n0\n-5\n6\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + WriteReadTest(1, "Failed", {"0"}) +
                              WriteReadTest(1, "Failed", {"0"}) + MainMenu());
    EXPECT_EQ(run.trace, Concat({Session(1, 0, {"SPIExchange(1, 0, [00000005], ptr) = 0"}),
                                 Session(1, 0, {"SPIExchange(1, -5, [00000006], ptr) = 0"})}));
}

TEST(SpiExchange, ReadExchangeAfterAWriteReadExchangeSendsZeros) {
    RunResult run = RunProgram("8\n1\n2\n0\n64\naaaa bbbb\n2\n2\n0\n64\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + WriteReadTest(2, "Success", {"aaaa", "bbbb"}) +
                              Listed("SPI Read Exchange Test", kSpiDevicePrompts + kSpiBitCountPrompt +
                                                                   Line("SPI Read Test is Success!!!") +
                                                                   RegisterLines({"0", "0"})) +
                              MainMenu());
    EXPECT_EQ(run.trace, Concat({Session(1, 0, {"SPIExchange(1, 64, [0000aaaa 0000bbbb], ptr) = 1"}),
                                 Session(1, 0, {"SPIExchange(1, 64, [00000000 00000000], ptr) = 1"})}));
}

TEST(SpiExchange, DeviceZeroPassesIndexMinusOneAndShowsClearedWords) {
    RunResult run = RunProgram("8\n1\n0\n0\n8\nff\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + WriteReadTest(1, "Failed", {"0"}) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"SPIOpen(-1) = 0"}));
}

TEST(SpiExchange, FailedExchangeStillClosesTheDevice) {
    RunResult run = RunProgram("8\n1\n2\n0\n8\nff\n0\n0\n", {{"QZHAL_SIM_FAIL", "SPIExchange"}});
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + WriteReadTest(1, "Failed", {"0"}) + MainMenu());
    EXPECT_EQ(run.trace, Session(1, 0, {"SPIExchange(1, 8, [000000ff], ptr) = 0"}));
}

TEST(SpiExchange, BitCountsPastTheWordArraysAreRefusedBeforeAnyDataPrompt) {
    RunResult run = RunProgram("8\n1\n2\n0\n129\n2\n2\n0\n5000\n0\n0\n");
    const std::string prompts = kSpiDevicePrompts + kSpiBitCountPrompt;
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() +
                              Listed("SPI Write/Read Exchange Test", prompts + Line("Bit Count 129 not supported!!!")) +
                              Listed("SPI Read Exchange Test", prompts + Line("Bit Count 5000 not supported!!!")) +
                              MainMenu());
    EXPECT_TRUE(run.trace.empty());
}

TEST(SpiMenu, UnlistedChoicesShowTheMenuAgainWithoutMessageOrClosingLine) {
    RunResult run = RunProgram("8\n7\n-1\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + SpiMenu() + SpiMenu() + MainMenu());
    EXPECT_TRUE(run.trace.empty());
}

TEST(SpiEeprom, WriteIsWrappedInWriteEnableAndDisableAndReadsBack) {
    RunOptions options;
    options.input = {{"8\n4\n1\n0\n0x02\n0x10\n1\n0x55\n"}, AfterWrite("5\n1\n0\n0x03\n0x10\n1\n0\n0\n")};
    RunResult run = RunProgram(options);
    // The EEPROM drives its output only for data it reads; elsewhere the line
    // reads 1.
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + FlashWrite(1, "ffffff is Success!!!") +
                              FlashRead("55 is Success!!!") + MainMenu());
    EXPECT_EQ(run.trace,
              Concat({Session(0, 0,
                              {"SPIExchange(0, 8, [00000006], ptr) = 1", "SPIExchange(0, 24, [00021055], ptr) = 1",
                               "SPIExchange(0, 8, [00000004], ptr) = 1"}),
                      Session(0, 0, {"SPIExchange(0, 24, [00031000], ptr) = 1"})}));
}

TEST(SpiEeprom, TwoBytesReadBackInOrder) {
    RunOptions options;
    options.input = {{"8\n4\n1\n3\n2\n30\n2\n12\n34\n"}, AfterWrite("5\n1\n3\n3\n30\n2\n0\n0\n")};
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + FlashWrite(2, "ffffffff is Success!!!") +
                              FlashRead("1234 is Success!!!") + MainMenu());
    EXPECT_EQ(run.trace,
              Concat({Session(0, 3,
                              {"SPIExchange(0, 8, [00000006], ptr) = 1", "SPIExchange(0, 32, [02301234], ptr) = 1",
                               "SPIExchange(0, 8, [00000004], ptr) = 1"}),
                      Session(0, 3, {"SPIExchange(0, 32, [03300000], ptr) = 1"})}));
}

TEST(SpiEeprom, ByteCountThreeIsRefusedInBothTestsWithoutLibraryCalls) {
    RunResult run = RunProgram("8\n4\n1\n0\n2\n10\n3\n5\n1\n0\n3\n10\n3\n0\n0\n");
    const std::string refused = Line("Byte Count 3 not supported!!!");
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() +
                              Listed("Write Flash Test (25aa010a)", kSpiFlashPrompts + kSpiWriteBytesPrompt + refused) +
                              Listed("Read Flash Test (25aa010a)", kSpiFlashPrompts + kSpiReadBytesPrompt + refused) +
                              MainMenu());
    EXPECT_TRUE(run.trace.empty());
}

TEST(SpiEeprom, FailedWriteEnableSendsNoFrameAndNoWriteDisable) {
    RunResult run = RunProgram("8\n4\n1\n0\n2\n10\n1\n55\n0\n0\n", {{"QZHAL_SIM_FAIL", "SPIExchange@1"}});
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + FlashWrite(1, "0 is Failed!!!") + MainMenu());
    EXPECT_EQ(run.trace, Session(0, 0, {"SPIExchange(0, 8, [00000006], ptr) = 0"}));
}

TEST(SpiEeprom, FailedFrameSkipsTheWriteDisable) {
    RunResult run = RunProgram("8\n4\n1\n0\n2\n10\n1\n55\n0\n0\n", {{"QZHAL_SIM_FAIL", "SPIExchange@2"}});
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + FlashWrite(1, "0 is Failed!!!") + MainMenu());
    EXPECT_EQ(run.trace, Session(0, 0, {"SPIExchange(0, 8, [00000006], ptr) = 1",
                                        "SPIExchange(0, 24, [00021055], ptr) = 0"}));
}

TEST(SpiEeprom, AddressAboveAByteOverlapsTheInstructionByte) {
    RunResult run = RunProgram("8\n4\n1\n0\n0x02\n0x1aa\n1\n0x00\n0\n0\n");
    ASSERT_EQ(run.trace.size(), 6u);
    EXPECT_EQ(run.trace[3], "SPIExchange(0, 24, [0003aa00], ptr) = 1");
}

TEST(SpiEeprom, WriteInModeOneIsIgnoredByTheEeprom) {
    RunOptions options;
    options.input = {{"8\n4\n1\n0\n2\n20\n1\n55\n"},
                     AfterWrite("4\n1\n1\n2\n20\n1\naa\n"),
                     AfterWrite("5\n1\n0\n3\n20\n1\n0\n0\n", 2)};
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + FlashWrite(1, "ffffff is Success!!!") +
                              FlashWrite(1, "ffffff is Success!!!") + FlashRead("55 is Success!!!") + MainMenu());
    EXPECT_EQ(run.trace, Concat({FlashWriteSession(0, "00022055"), FlashWriteSession(1, "000220aa"),
                                 Session(0, 0, {"SPIExchange(0, 24, [00032000], ptr) = 1"})}));
}

TEST(SpiEeprom, ByteCountsOfZeroAndLessReadNoDataAndShowZero) {
    RunResult run = RunProgram("8\n5\n1\n0\n3\n10\n0\n5\n1\n0\n3\n10\n-1\n5\n1\n0\n3\n10\n-3\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + FlashRead("0 is Success!!!") + FlashRead("0 is Success!!!") +
                              FlashRead("0 is Failed!!!") + MainMenu());
    // 16 bits carry instruction and address, 8 bits the instruction alone;
    // -8 bits pack all four bytes and are refused by the library.
    EXPECT_EQ(run.trace, Concat({Session(0, 0, {"SPIExchange(0, 16, [00000310], ptr) = 1"}),
                                 Session(0, 0, {"SPIExchange(0, 8, [00000003], ptr) = 1"}),
                                 Session(0, 0, {"SPIExchange(0, -8, [03100000], ptr) = 0"})}));
}

}  // namespace
