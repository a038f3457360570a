// I2C menu transcripts. The simulated board has a 256-byte EEPROM at 0x50
// on buses 0 and 1, erased to 0xff; no other device answers.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "i2c_texts.h"
#include "program_run.h"

namespace {

const std::string kLengthRefused = Line("Invalid Data Len!!! Data Len must be less than 33!!!");

// Main menu 4, the script, 0 back to the main menu and 0 to end.
RunResult RunI2C(const std::string &script, const std::map<std::string, std::string> &environment = {}) {
    return RunProgram("4\n" + script + "0\n0\n", environment);
}

TEST(I2CWrite, PassesTheLowEightBitsAndShowsTheAddressAsTyped) {
    RunResult run = RunI2C("1\n0\n1\n50\n10\n1\n1\n0\n1\n150\n10\n0x1ff\n");
    EXPECT_EQ(run.output, I2cVisit(WriteTest("50", "Success") + WriteTest("150", "Success")));
    EXPECT_EQ(run.trace, (std::vector<std::string>{"I2CWrite(0, 1, 80, 16, 1) = 1", "I2CWrite(0, 1, 80, 16, 255) = 1"}));
}

TEST(I2CWrite, FailsForASilentAddressAnUnknownRateAndAnUnknownBus) {
    RunResult run =
        RunI2C("1\n0\n0\n51\n0\n1\n1\n0\n9\n50\n0\n1\n1\n2\n0\n50\n0\n1\n1\n0\n0\nffffffff\n0\n1\n");
    EXPECT_EQ(run.output, I2cVisit(WriteTest("51", "Failed") + WriteTest("50", "Failed") + WriteTest("50", "Failed") +
                                   WriteTest("ffffffff", "Failed")));
    EXPECT_EQ(run.trace, (std::vector<std::string>{"I2CWrite(0, 0, 81, 0, 1) = 0", "I2CWrite(0, 9, 80, 0, 1) = 0",
                                                   "I2CWrite(2, 0, 80, 0, 1) = 0", "I2CWrite(0, 0, 255, 0, 1) = 0"}));
}

TEST(I2CRead, ShowsTheByteWrittenOnTheSameBusOnly) {
    RunResult run = RunI2C("1\n1\n5\n50\n7f\na5\n2\n1\n5\n0x50\n0x7F\n2\n0\n5\n50\n7f\n");
    EXPECT_EQ(run.output,
              I2cVisit(WriteTest("50", "Success") + ReadTest("50", "a5", "Success") + ReadTest("50", "ff", "Success")));
    EXPECT_EQ(run.trace, (std::vector<std::string>{"I2CWrite(1, 5, 80, 127, 165) = 1", "I2CRead(1, 5, 80, 127, ptr) = 1",
                                                   "I2CRead(0, 5, 80, 127, ptr) = 1"}));
}

TEST(I2CRead, AFailedReadShowsDataZero) {
    RunResult silent = RunI2C("2\n0\n0\n20\n0\n");
    EXPECT_EQ(silent.output, I2cVisit(ReadTest("20", "0", "Failed")));
    EXPECT_EQ(silent.trace, (std::vector<std::string>{"I2CRead(0, 0, 32, 0, ptr) = 0"}));

    RunResult injected = RunI2C("2\n0\n0\n50\n0\n", {{"QZHAL_SIM_FAIL", "I2CRead"}});
    EXPECT_EQ(injected.output, I2cVisit(ReadTest("50", "0", "Failed")));
}

TEST(I2CFlash, WritesATextAndReadsItBack) {
    RunResult run = RunI2C("3\n1\n1\n50\n40\nhello\n5\n4\n1\n1\n50\n40\n5\n");
    EXPECT_EQ(run.output,
              I2cVisit(WriteFlashTest("50", "40", "Success") + ReadFlashTest("50", "40", "Success", "hello")));
    EXPECT_EQ(run.trace, (std::vector<std::string>{"I2CWriteMultipleBytes(1, 1, 80, 64, 5, [68 65 6c 6c 6f]) = 1",
                                                   "I2CReadMultipleBytes(1, 1, 80, 64, 5, ptr) = 1"}));
}

TEST(I2CFlash, ALengthOneLongerThanTheTextWritesItsZeroByte) {
    RunResult run = RunI2C("3\n0\n0\n50\n0\nhello\n6\n");
    EXPECT_EQ(run.trace, (std::vector<std::string>{"I2CWriteMultipleBytes(0, 0, 80, 0, 6, [68 65 6c 6c 6f 00]) = 1"}));
}

TEST(I2CFlash, AWriteThatNoDeviceAnswersFails) {
    RunResult run = RunI2C("3\n0\n0\n51\n1ff\nhello\n5\n");
    EXPECT_EQ(run.output, I2cVisit(WriteFlashTest("51", "1ff", "Failed")));
    EXPECT_EQ(run.trace, (std::vector<std::string>{"I2CWriteMultipleBytes(0, 0, 81, 255, 5, [68 65 6c 6c 6f]) = 0"}));
}

TEST(I2CFlash, AFailedReadStillShowsTheBufferLeftByTheVisit) {
    // The buffer starts empty; the failed write leaves its text in it.
    RunResult run = RunI2C("4\n0\n0\n51\n0\n3\n3\n0\n0\n51\n0\nabc\n3\n4\n0\n0\n51\n0\n3\n");
    EXPECT_EQ(run.output, I2cVisit(ReadFlashTest("51", "0", "Failed", "") + WriteFlashTest("51", "0", "Failed") +
                                   ReadFlashTest("51", "0", "Failed", "abc")));
}

TEST(I2CFlash, OnlyTheLowEightBitsOfTheLengthCount) {
    RunResult run = RunI2C("3\n0\n0\n50\n0\nabcdef\n261\n3\n0\n0\n50\n0\nabcdef\n256\n");
    EXPECT_EQ(run.output, I2cVisit(WriteFlashTest("50", "0", "Success") + WriteFlashTest("50", "0", "Success")));
    EXPECT_EQ(run.trace, (std::vector<std::string>{"I2CWriteMultipleBytes(0, 0, 80, 0, 5, [61 62 63 64 65]) = 1",
                                                   "I2CWriteMultipleBytes(0, 0, 80, 0, 0, []) = 1"}));
}

TEST(I2CFlash, ALengthBeyondTheBufferIsRefusedWithoutATransfer) {
    RunResult run = RunI2C("3\n0\n0\n50\n0\nabc\n33\n4\n0\n0\n50\n0\n-1\n4\n0\n0\n50\n0\n300\n");
    const std::string refusedWrite = TestHeader("I2C Write Flash Test") + kI2cCommonPrompts + kI2cDataPrompt +
                                     kI2cLengthPrompt + kLengthRefused + I2cMenu();
    const std::string refusedRead =
        TestHeader("I2C Read Flash Test") + kI2cCommonPrompts + kI2cLengthPrompt + kLengthRefused + I2cMenu();
    EXPECT_EQ(run.output, I2cVisit(refusedWrite + refusedRead + refusedRead));
    EXPECT_TRUE(run.trace.empty());
}

TEST(I2CFlash, ALongWordIsCutToFitTheBuffer) {
    const std::string word(10000, 'w');
    RunResult run = RunI2C("3\n0\n0\n50\n80\n" + word + "\n32\n");
    std::string bytes;
    for (int i = 0; i < 31; ++i) bytes += "77 ";
    EXPECT_EQ(run.output, I2cVisit(WriteFlashTest("50", "80", "Success")));
    EXPECT_EQ(run.trace,
              (std::vector<std::string>{"I2CWriteMultipleBytes(0, 0, 80, 128, 32, [" + bytes + "00]) = 1"}));
}

TEST(I2CFlash, AFullBufferWithoutAZeroByteShowsOnlyTheBuffer) {
    // 31 letters, then the erased byte 0xff: the 32 bytes read hold no zero.
    const std::string word(31, 'x');
    RunResult run = RunI2C("3\n1\n0\n50\nc0\n" + word + "\n31\n4\n1\n0\n50\nc0\n32\n");
    EXPECT_EQ(run.output,
              I2cVisit(WriteFlashTest("50", "c0", "Success") + ReadFlashTest("50", "c0", "Success", word + "\xff")));
}

TEST(I2CFlash, TransfersWrapAroundAtTheEndOfTheEeprom) {
    // The two bytes read replace "xy" of the text the write left in the
    // buffer; its third letter stays.
    RunResult run = RunI2C("3\n0\n0\n50\nfe\nxyz\n3\n2\n0\n0\n50\n0\n4\n0\n0\n50\nff\n2\n");
    EXPECT_EQ(run.output, I2cVisit(WriteFlashTest("50", "fe", "Success") + ReadTest("50", "7a", "Success") +
                                   ReadFlashTest("50", "ff", "Success", "yzz")));
}

TEST(I2CMenu, RedisplaysSilentlyForUnlistedChoices) {
    RunResult run = RunI2C("5\n-1\nabc\n");
    EXPECT_EQ(run.output, I2cVisit(I2cMenu() + I2cMenu() + I2cMenu()));
    EXPECT_TRUE(run.trace.empty());
}

}  // namespace
