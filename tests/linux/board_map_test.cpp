// The board map's syntax: each mistake is one line naming the file, the
// line and the problem, and leaves out only the entry it concerns.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "../../linux/board_map.h"

namespace {

const char kPath[] = "/etc/qzhal/board.conf";

std::string ErrorAt(int line, const std::string &problem) {
    return std::string("board map ") + kPath + " line " + std::to_string(line) + ": " + problem;
}

TEST(BoardMap, ReadsEveryKindOfEntry) {
    BoardMap map = ParseBoardMap(kPath,
                                 "# test machine\n"
                                 "gpio.1 = gpio-sim.0 0   # TA1\n"
                                 "gpio.5 = LED2\n"
                                 "i2c.0 = /dev/i2c-3\n"
                                 "spi.1=/dev/spidev0.0\n"
                                 "uart.2 = /dev/ttyS1\n"
                                 "can.1 = vcan0\n"
                                 "backlight = qzhal-bl\n"
                                 "memory = 0x1f000000 0x10000\n"
                                 "memory = 4096 8\n"
                                 "reboot = yes\n");
    EXPECT_TRUE(map.errors.empty());
    EXPECT_EQ(map.gpio.at(1).chip, "gpio-sim.0");
    EXPECT_EQ(map.gpio.at(1).offset, 0u);
    EXPECT_EQ(map.gpio.at(5).name, "LED2");
    EXPECT_EQ(map.gpio.at(5).line, 3);
    EXPECT_EQ(map.i2c.at(0).device, "/dev/i2c-3");
    EXPECT_EQ(map.spi.at(1).device, "/dev/spidev0.0");
    EXPECT_EQ(map.uart.at(2).device, "/dev/ttyS1");
    EXPECT_EQ(map.can.at(1).device, "vcan0");
    EXPECT_EQ(map.backlight.device, "/sys/class/backlight/qzhal-bl");
    ASSERT_EQ(map.memory.size(), 2u);
    EXPECT_EQ(map.memory[0].base, 0x1f000000u);
    EXPECT_EQ(map.memory[0].size, 0x10000u);
    EXPECT_EQ(map.memory[1].base, 4096u);
    EXPECT_TRUE(map.rebootAllowed);
}

TEST(BoardMap, EachMistakeIsOneLineAndLeavesOutItsEntryOnly) {
    BoardMap map = ParseBoardMap(kPath,
                                 "gpoi.1 = chip 0\n"
                                 "gpio.x = chip 0\n"
                                 "gpio.2 = chip 0x1g\n"
                                 "gpio.3 = chip 3 extra\n"
                                 "i2c.0 /dev/i2c-0\n"
                                 "i2c.1 = /dev/i2c-1\n"
                                 "i2c.1 = /dev/i2c-2\n"
                                 "spi.0 =\n"
                                 "memory = 0x1000\n"
                                 "memory = 0x1000 0\n"
                                 "memory = 0xffffffffffffffff 2\n"
                                 "reboot = maybe\n"
                                 "uart.99999999999 = /dev/ttyS0\n"
                                 "gpio.4 = chip 4\n");
    EXPECT_EQ(map.errors, (std::vector<std::string>{
                              ErrorAt(1, "unknown key \"gpoi.1\""),
                              ErrorAt(2, "bad number \"x\" in key \"gpio.x\""),
                              ErrorAt(3, "bad line offset \"0x1g\" for gpio.2"),
                              ErrorAt(4, "gpio.3 needs a chip and a line offset, or a line name"),
                              ErrorAt(5, "expected \"key = value\", found \"i2c.0 /dev/i2c-0\""),
                              ErrorAt(7, "i2c.1 is given twice (first on line 6)"),
                              ErrorAt(8, "spi.0 names no device"),
                              ErrorAt(9, "memory needs a base address and a size"),
                              ErrorAt(10, "bad window size \"0\""),
                              ErrorAt(11, "the window passes the end of the address space"),
                              ErrorAt(12, "reboot takes yes or no, not \"maybe\""),
                              ErrorAt(13, "bad number \"99999999999\" in key \"uart.99999999999\""),
                          }));
    EXPECT_EQ(map.gpio.size(), 1u);
    EXPECT_EQ(map.gpio.at(4).offset, 4u);
    EXPECT_EQ(map.i2c.at(1).device, "/dev/i2c-1");
    EXPECT_TRUE(map.spi.empty());
    EXPECT_TRUE(map.memory.empty());
    EXPECT_FALSE(map.rebootAllowed);
    // A call that needs a left-out entry names the mistake; one with no
    // entry says so.
    EXPECT_EQ(map.Missing("gpio.2"), ErrorAt(3, "bad line offset \"0x1g\" for gpio.2"));
    EXPECT_EQ(map.Missing("gpio.7"), std::string("no gpio.7 in board map ") + kPath);
}

TEST(BoardMap, EachNumberHasOneSpellingAndNulBytesAreRefused) {
    std::string text = "gpio.1 = chip 1\n"
                       "gpio.01 = chip 9\n"
                       "spi.0 = /dev/spidev0.0\n"
                       "spi.00 = /dev/spidev9.9\n";
    text += std::string("uart.1 = /dev/ttyS0\0/../../etc/passwd\n", 38);
    text += std::string("i2c.0 = /dev/i2c-0 # \0\n", 23);
    BoardMap map = ParseBoardMap(kPath, text);
    EXPECT_EQ(map.errors, (std::vector<std::string>{
                              ErrorAt(2, "bad number \"01\" in key \"gpio.01\""),
                              ErrorAt(4, "bad number \"00\" in key \"spi.00\""),
                              ErrorAt(5, "the line holds a NUL byte"),
                              ErrorAt(6, "the line holds a NUL byte"),
                          }));
    EXPECT_EQ(map.gpio.at(1).offset, 1u);
    EXPECT_EQ(map.spi.at(0).device, "/dev/spidev0.0");
    EXPECT_TRUE(map.uart.empty());
    EXPECT_EQ(map.Missing("uart.1"), ErrorAt(5, "the line holds a NUL byte"));
    EXPECT_TRUE(map.i2c.empty());
}

// The map file: only a regular file of bounded size is read, and nothing
// else is waited on (a FIFO without a writer) or read without end.
TEST(BoardMapFile, ReadsOnlyARegularFileOfBoundedSize) {
    char folder[] = "/tmp/board_map_test.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string dir = folder;
    std::string map = dir + "/board.conf", big = dir + "/big.conf", fifo = dir + "/fifo";
    std::ofstream(map) << "can.1 = vcan0\n";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream{big};
    ASSERT_EQ(truncate(big.c_str(), kMaxBoardMapBytes + 1), 0);

    std::string text, why;
    EXPECT_TRUE(ReadBoardMapFile(map, text, why));
    EXPECT_EQ(text, "can.1 = vcan0\n");
    auto refusal = [&](const std::string &path) {
        std::string read, reason;
        EXPECT_FALSE(ReadBoardMapFile(path, read, reason)) << path;
        EXPECT_TRUE(read.empty()) << path;
        return reason;
    };
    EXPECT_EQ(refusal(dir), "a folder, not a file");
    EXPECT_EQ(refusal(fifo), "not a regular file");
    EXPECT_EQ(refusal("/dev/zero"), "not a regular file");
    EXPECT_EQ(refusal(big), "larger than 1048576 bytes");
    EXPECT_EQ(refusal(dir + "/none"), "cannot read it (No such file or directory)");
    ASSERT_EQ(truncate(big.c_str(), kMaxBoardMapBytes), 0);
    EXPECT_TRUE(ReadBoardMapFile(big, text, why));
    EXPECT_EQ(text.size(), kMaxBoardMapBytes);

    for (const std::string &file : {map, big, fifo}) unlink(file.c_str());
    rmdir(folder);
}

}  // namespace
