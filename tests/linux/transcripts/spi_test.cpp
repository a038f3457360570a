// SPI through spidev: the loopback on chip select 0 returns frames of any
// bit count laid out as the transmit words, and the 25AA010A EEPROM on chip
// select 1 answers in modes 0 and 3 only.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "kernel_side.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

const std::string kMenu =
    SubMenu("Select SPI Test!", {"Write/Read Exchange Test", "Read Exchange Test", "Write/Read Loopback Test",
                                 "Write Flash Test (25aa010a)", "Read Flash Test (25aa010a)"});
const std::string kDevicePrompts = "Enter SPI Device (1,2): Enter SPI Mode (0..3): ";
const std::string kBitCountPrompt = "Enter SPI Write Data Bitcount (e.g. 1 - 128): ";
const std::string kFlashPrompts =
    kDevicePrompts + "Enter SPI Instruction Set (e.g. 0x02): " + "Enter SPI Address (e.g. 0xaa): ";

std::string DataPrompts(int words) {
    std::string prompts;
    for (int i = 0; i < words; ++i) prompts += "Enter SPI Data[" + std::to_string(i) + "] (e.g. 0x0000ffff): ";
    return prompts;
}

std::string Listed(const std::string &title, const std::string &body) {
    return TestHeader(title) + body + kClosingLine + kMenu;
}

std::string WriteReadTest(int words, const std::vector<std::string> &values) {
    std::string lines;
    for (size_t i = 0; i < values.size(); ++i)
        lines += Line("Register Value " + std::to_string(i) + ": 0x" + values[i]);
    return Listed("SPI Write/Read Exchange Test", kDevicePrompts + kBitCountPrompt + DataPrompts(words) +
                                                     Line("SPI Write/Read Test is Success!!!") + lines);
}

std::string FlashWrite(const std::string &result) {
    return Listed("Write Flash Test (25aa010a)", kFlashPrompts + "Enter SPI Write Data Bytecount (1 - 2): " +
                                                     "Enter SPI Data[1] (e.g. 0xaa): " +
                                                     Line("SPI Write Flash Test Register Data: 0x" + result));
}

std::string FlashRead(const std::string &result) {
    return Listed("Read Flash Test (25aa010a)", kFlashPrompts + "Enter SPI Read Data Bytecount (1 - 2): " +
                                                    Line("SPI Read Flash Test Register Data: 0x" + result));
}

Trace Session(int device, int mode, const Trace &exchanges) {
    Trace trace{"SPIOpen(" + std::to_string(device) + ") = 1",
                "SPIConfigure(" + std::to_string(device) + ", " + std::to_string(mode) + ", 1000000, 0) = 1"};
    trace.insert(trace.end(), exchanges.begin(), exchanges.end());
    trace.push_back("SPIClose(" + std::to_string(device) + ") = 1");
    return trace;
}

Trace Concat(std::initializer_list<Trace> parts) {
    Trace all;
    for (const Trace &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(SpiOnSpidev, TheLoopbackReturnsFramesOfWholeBytesOddBitsAndAnOddTail) {
    // 12 bits go as one 12-bit word, 40 bits as four bytes and an 8-bit
    // tail, 45 bits as four bytes and a 13-bit tail: each comes back whole.
    RunResult run = RunProgram("8\n1\n2\n0\n12\nabc\n1\n2\n1\n40\nffff 0xab\n1\n2\n3\n45\n12345678 1abc\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kMenu + WriteReadTest(1, {"abc"}) + WriteReadTest(2, {"ffff", "ab"}) +
                              WriteReadTest(2, {"12345678", "1abc"}) + MainMenu());
    EXPECT_EQ(run.trace, Concat({Session(1, 0, {"SPIExchange(1, 12, [00000abc], ptr) = 1"}),
                                 Session(1, 1, {"SPIExchange(1, 40, [0000ffff 000000ab], ptr) = 1"}),
                                 Session(1, 3, {"SPIExchange(1, 45, [12345678 00001abc], ptr) = 1"})}));
}

TEST(SpiOnSpidev, TheEepromTakesAWriteInModeZeroAndIgnoresOneInModeOne) {
    // The EEPROM needs 5 ms for a write: each next test waits for the
    // write's result line and a little longer.
    const std::string written = "SPI Write Flash Test Register Data";
    RunOptions options;
    options.input = {{"8\n4\n1\n0\n2\n20\n1\n5a\n"},
                     {"4\n1\n1\n2\n20\n1\na5\n", written, 1, 10},
                     {"5\n1\n3\n3\n20\n1\n0\n0\n", written, 2, 10}};
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.output, MainMenu() + kMenu + FlashWrite("ffffff is Success!!!") +
                              FlashWrite("ffffff is Success!!!") + FlashRead("5a is Success!!!") + MainMenu());
    auto write = [](int mode, const std::string &frame) {
        return Session(0, mode, {"SPIExchange(0, 8, [00000006], ptr) = 1",
                                 "SPIExchange(0, 24, [" + frame + "], ptr) = 1",
                                 "SPIExchange(0, 8, [00000004], ptr) = 1"});
    };
    EXPECT_EQ(run.trace, Concat({write(0, "0002205a"), write(1, "000220a5"),
                                 Session(0, 3, {"SPIExchange(0, 24, [00032000], ptr) = 1"})}));
}

}  // namespace
