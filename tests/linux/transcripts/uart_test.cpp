// UART through termios on one end of the test machine's serial pair (two
// pseudo-terminals); the test plays the device on the other end
// (/dev/ttyV1) and checks the line settings the kernel holds for the
// program's port, which a peer with other settings would get wrong.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "expected_text.h"
#include "kernel_side.h"
#include "program_run.h"
#include "uart_texts.h"

namespace {

using Trace = std::vector<std::string>;

const std::string kPort = "/dev/ttyV0";
const std::string kPeer = "/dev/ttyV1";  // the serial pair's other end

TEST(UartOnTermios, TheTextReachesThePeerWithTheLineSettingsTheProgramAskedFor) {
    // Two stop bits and RTS/CTS at 19200 bit/s; then one stop bit and
    // XON/XOFF at 256000 bit/s, a rate with no termios constant.
    SerialEnd peer(kPeer);
    PortLine first{}, second{};
    RunOptions options;
    options.input = {{"9\n1\n1 2 0 2 8 19200\nabc\n"},
                     {"1\n1 1 0 0 8 256000\nxyz\n", "Enter Test Number: ", 3, 0,
                      InDialogue([&] { first = PortSettings(kPort); })},
                     {"0\n0\n", "Enter Test Number: ", 4, 0, InDialogue([&] { second = PortSettings(kPort); })}};
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus("abc", "Success")) +
                              WriteTest(WriteStatus("xyz", "Success")) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"UARTOpen(1, 2, 19200) = 1", "UARTConfigure(1, 2, 0, 2, 8, 19200) = 1",
                                "UARTWrite(1, \"abc\") = 1", "UARTClose(1) = 1", "UARTOpen(1, 1, 256000) = 1",
                                "UARTConfigure(1, 1, 0, 0, 8, 256000) = 1", "UARTWrite(1, \"xyz\") = 1",
                                "UARTClose(1) = 1"}));
    EXPECT_EQ(peer.Received(6, 1000), "abcxyz");
    EXPECT_EQ(first.baud, 19200u);
    EXPECT_TRUE(first.twoStopBits);
    EXPECT_TRUE(first.rtsCts && !first.xonXoff);
    EXPECT_EQ(second.baud, 256000u);
    EXPECT_FALSE(second.twoStopBits);
    EXPECT_TRUE(!second.rtsCts && second.xonXoff);
}

TEST(UartOnTermios, SettingsThePortsDriverDoesNotTakeFailTheConfiguration) {
    // A pseudo-terminal always carries 8-bit bytes without parity: 7 bits
    // with even parity would reach a peer wrongly, so the call fails.
    RunResult run = RunProgram("9\n1\n1 0 2 0 7 9600\nabc\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus("abc", "Failed")) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"UARTOpen(1, 0, 9600) = 1",
                                "UARTConfigure(1, 0, 2, 0, 7, 9600) = 0 # the port's driver did not take the byte "
                                "size, parity",
                                "UARTClose(1) = 1"}));
}

TEST(UartOnTermios, AReadWaitsForThePeersBytesAndAShortOneSaysWhatCame) {
    SerialEnd peer(kPeer);
    RunOptions options;
    options.input = {{"9\n2\n1 0 0 0 8 115200\n5\n"},
                     {"2\n1 0 0 0 8 115200\n4\n", "Enter Test Number: ", 3},
                     {"0\n0\n", "Enter Test Number: ", 4}};
    options.input[0].action = InDialogue([&] { peer.Send("hello"); });
    options.input[1].action = InDialogue([&] { peer.Send("ab"); });
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + ReadTest(ReadStatus("hello", "Success")) +
                              ReadTest("UART Read Test failed" + ReadStatus("ab", "Failed")) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"UARTOpen(1, 0, 115200) = 1", "UARTConfigure(1, 0, 0, 0, 8, 115200) = 1",
                                "UARTRead(1, 5, ptr) = 1", "UARTClose(1) = 1", "UARTOpen(1, 0, 115200) = 1",
                                "UARTConfigure(1, 0, 0, 0, 8, 115200) = 1",
                                "UARTRead(1, 4, ptr) = 0 # 2 of 4 bytes came within 500 ms", "UARTClose(1) = 1"}));
}

TEST(UartOnTermios, OneAndAHalfStopBitsNeedFiveBitBytes) {
    RunResult run = RunProgram("9\n1\n1 0 0 1 8 9600\nabc\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus("abc", "Failed")) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"UARTOpen(1, 0, 9600) = 1",
                                "UARTConfigure(1, 0, 0, 1, 8, 9600) = 0 # 1.5 stop bits need 5-bit bytes",
                                "UARTClose(1) = 1"}));
}

}  // namespace
