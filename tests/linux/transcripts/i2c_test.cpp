// I2C through i2c-dev and I2C_RDWR against the EEPROMs at 0x50 of the test
// machine's two buses; their bytes are checked from the kernel's side.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "i2c_texts.h"
#include "kernel_side.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

TEST(I2cOnI2cDev, AByteWrittenOnOneBusReadsBackThereAndLandsInThatEeprom) {
    uint8_t before = EepromBytes(0, 0x7f, 1).at(0);
    RunResult run = RunProgram("4\n1\n1\n5\n50\n7f\na5\n2\n1\n5\n0x50\n0x7F\n0\n0\n");
    EXPECT_EQ(run.output, I2cVisit(WriteTest("50", "Success") + ReadTest("50", "a5", "Success")));
    EXPECT_EQ(run.trace, (Trace{"I2CWrite(1, 5, 80, 127, 165) = 1", "I2CRead(1, 5, 80, 127, ptr) = 1"}));
    EXPECT_EQ(EepromBytes(1, 0x7f, 1), std::vector<uint8_t>{0xa5});
    EXPECT_EQ(EepromBytes(0, 0x7f, 1), std::vector<uint8_t>{before});
}

TEST(I2cOnI2cDev, FlashBytesWrapAtTheEndOfTheEepromAndReadBackAsText) {
    // Bytes from register 0xfe on: "hi" fills 0xfe and 0xff, "!" wraps to 0.
    RunResult run = RunProgram("4\n3\n0\n1\n50\nfe\nhi!\n3\n4\n0\n1\n50\nfe\n3\n0\n0\n");
    EXPECT_EQ(run.output,
              I2cVisit(WriteFlashTest("50", "fe", "Success") + ReadFlashTest("50", "fe", "Success", "hi!")));
    EXPECT_EQ(EepromBytes(0, 0xfe, 2), (std::vector<uint8_t>{'h', 'i'}));
    EXPECT_EQ(EepromBytes(0, 0x00, 1), std::vector<uint8_t>{'!'});
}

TEST(I2cOnI2cDev, ASilentAddressAnUnknownRateAndAnUnmappedBusFailAndSayWhy) {
    RunResult run = RunProgram("4\n1\n0\n0\n51\n0\n1\n1\n0\n9\n50\n0\n1\n1\n2\n0\n50\n0\n1\n0\n0\n");
    EXPECT_EQ(run.output, I2cVisit(WriteTest("51", "Failed") + WriteTest("50", "Failed") + WriteTest("50", "Failed")));
    EXPECT_EQ(run.trace,
              (Trace{"I2CWrite(0, 0, 81, 0, 1) = 0 # I2C bus 0 device 0x51 does not answer (No such device or address)",
                     "I2CWrite(0, 9, 80, 0, 1) = 0 # rate code must be 0 to 5",
                     "I2CWrite(2, 0, 80, 0, 1) = 0 # no i2c.2 in board map " + kBoardMap}));
}

}  // namespace
