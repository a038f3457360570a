// I2C through i2c-dev and I2C_RDWR against the EEPROMs at 0x50 of the test
// machine's two buses; their bytes are checked from the kernel's side.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "kernel_side.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

const std::string kMenu =
    SubMenu("Select I2C Test!", {"Write Test", "Read Test", "Write Flash Test", "Read Flash Test"});
const std::string kCommonPrompts =
    std::string("Enter I2C Device Number (0,1): ") +
    "Enter I2C Device Bitrate (0=100|1=400|2=800|3=1600|4=2400|5=3200 kBits): " +
    "Enter I2C Device Address (e.g. 50 = 0x50): " + "Enter I2C Register Address (e.g. 0 = 0x00): ";
const std::string kDataPrompt = "Enter I2C Data (e.g. 1 = 0x01): ";
const std::string kLengthPrompt = "Enter I2C Data Len (e.g. 2 = 0x02): ";

std::string WriteTest(const std::string &address, const char *status) {
    return TestHeader("I2C Write Test") + kCommonPrompts + kDataPrompt +
           Line("I2C Write Test from " + address + " is " + status + "!!!") + kClosingLine + kMenu;
}

std::string ReadTest(const std::string &address, const std::string &data, const char *status) {
    return TestHeader("I2C Read Test") + kCommonPrompts +
           Line("I2C Read Test from " + address + " with Data " + data + " is " + status + "!!!") + kClosingLine +
           kMenu;
}

std::string WriteFlashTest(const std::string &address, const std::string &reg, const char *status) {
    return TestHeader("I2C Write Flash Test") + kCommonPrompts + kDataPrompt + kLengthPrompt +
           Line("I2C Write Test from " + address + " with Register Address:" + reg + " is " + status + "!!!") +
           kClosingLine + kMenu;
}

std::string ReadFlashTest(const std::string &address, const std::string &reg, const char *status,
                          const std::string &text) {
    return TestHeader("I2C Read Flash Test") + kCommonPrompts + kLengthPrompt +
           Line("I2C Read Test from " + address + " with Register Address:" + reg + " is " + status + "!!!") +
           kClosingLine + Line("Data String: " + text) + kMenu;
}

std::string Framed(const std::string &tests) { return MainMenu() + kMenu + tests + MainMenu(); }

TEST(I2cOnI2cDev, AByteWrittenOnOneBusReadsBackThereAndLandsInThatEeprom) {
    uint8_t before = EepromBytes(0, 0x7f, 1).at(0);
    RunResult run = RunProgram("4\n1\n1\n5\n50\n7f\na5\n2\n1\n5\n0x50\n0x7F\n0\n0\n");
    EXPECT_EQ(run.output, Framed(WriteTest("50", "Success") + ReadTest("50", "a5", "Success")));
    EXPECT_EQ(run.trace, (Trace{"I2CWrite(1, 5, 80, 127, 165) = 1", "I2CRead(1, 5, 80, 127, ptr) = 1"}));
    EXPECT_EQ(EepromBytes(1, 0x7f, 1), std::vector<uint8_t>{0xa5});
    EXPECT_EQ(EepromBytes(0, 0x7f, 1), std::vector<uint8_t>{before});
}

TEST(I2cOnI2cDev, FlashBytesWrapAtTheEndOfTheEepromAndReadBackAsText) {
    // Bytes from register 0xfe on: "hi" fills 0xfe and 0xff, "!" wraps to 0.
    RunResult run = RunProgram("4\n3\n0\n1\n50\nfe\nhi!\n3\n4\n0\n1\n50\nfe\n3\n0\n0\n");
    EXPECT_EQ(run.output, Framed(WriteFlashTest("50", "fe", "Success") + ReadFlashTest("50", "fe", "Success", "hi!")));
    EXPECT_EQ(EepromBytes(0, 0xfe, 2), (std::vector<uint8_t>{'h', 'i'}));
    EXPECT_EQ(EepromBytes(0, 0x00, 1), std::vector<uint8_t>{'!'});
}

TEST(I2cOnI2cDev, ASilentAddressAnUnknownRateAndAnUnmappedBusFailAndSayWhy) {
    RunResult run = RunProgram("4\n1\n0\n0\n51\n0\n1\n1\n0\n9\n50\n0\n1\n1\n2\n0\n50\n0\n1\n0\n0\n");
    EXPECT_EQ(run.output, Framed(WriteTest("51", "Failed") + WriteTest("50", "Failed") + WriteTest("50", "Failed")));
    EXPECT_EQ(run.trace,
              (Trace{"I2CWrite(0, 0, 81, 0, 1) = 0 # I2C bus 0 device 0x51 does not answer (No such device or address)",
                     "I2CWrite(0, 9, 80, 0, 1) = 0 # rate code must be 0 to 5",
                     "I2CWrite(2, 0, 80, 0, 1) = 0 # no i2c.2 in board map " + kBoardMap}));
}

}  // namespace
