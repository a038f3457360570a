// UART1 (the imx driver, /dev/ttymxc0) against the host's peer on the
// port's other end, which sends back what it gets with lower-case letters
// raised: "ABC" coming back for "abc" is the peer's answer, not an echo.
// The test holds the port open (raw) around the program, so that what the
// peer sends is kept in the port's input until someone reads it.
#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <termios.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "expected_text.h"
#include "kernel_side.h"
#include "program_run.h"
#include "uart_texts.h"

namespace {

using Trace = std::vector<std::string>;

const std::string kPort = "/dev/ttymxc0";

// The port held open in raw mode around a run of the program, so that what
// the host's peer sends waits in it until the program reads it.
class HeldPort {
public:
    HeldPort() : end_(kPort) {
        termios raw{};
        if (tcgetattr(end_.fd(), &raw) != 0) throw std::runtime_error("cannot open " + kPort);
        cfmakeraw(&raw);
        cfsetspeed(&raw, B115200);
        if (tcsetattr(end_.fd(), TCSANOW, &raw) != 0 || tcflush(end_.fd(), TCIOFLUSH) != 0)
            throw std::runtime_error("cannot set " + kPort + " raw");
    }

    void Send(const std::string &text) { end_.Send(text); }
    std::string Received(size_t count, int timeoutMs) { return end_.Received(count, timeoutMs); }

    // Waits up to `timeoutMs` until `count` bytes wait in the port's input,
    // leaving them there; false if they did not come.
    bool WaitForWaiting(int count, int timeoutMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        int waiting = 0;
        while (ioctl(end_.fd(), FIONREAD, &waiting) == 0 && waiting < count) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return waiting >= count;
    }

private:
    SerialEnd end_;
};

TEST(UartOnImx, TheWriteTestsTextReachesTheHostsPeerInSevenBitsEvenParityAndTwoStopBits) {
    HeldPort port;
    RunResult run = RunProgram("9\n1\n1 0 2 2 7 115200\nabc\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus("abc", "Success")) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"UARTOpen(1, 0, 115200) = 1", "UARTConfigure(1, 0, 2, 2, 7, 115200) = 1",
                                "UARTWrite(1, \"abc\") = 1", "UARTClose(1) = 1"}));
    EXPECT_EQ(port.Received(3, 2000), "ABC");
    // The imx driver keeps what the program set (the test holds the port).
    PortLine line = PortSettings(kPort);
    EXPECT_EQ(line.byteSize, 7);
    EXPECT_TRUE(line.parity && !line.oddParity && !line.markSpace);
    EXPECT_TRUE(line.twoStopBits);
    EXPECT_EQ(line.baud, 115200u);
}

TEST(UartOnImx, ACustomRateRunsAtWhatTheDriversClockMakesOfIt) {
    // The imx driver makes 16456 bit/s of 16457 on the UART's 80 MHz clock
    // and writes that back: within 2%, so the port is the program's, and
    // the trace says the rate it runs at.
    HeldPort port;
    RunResult run = RunProgram("9\n1\n1 0 0 0 8 16457\nabc\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + WriteTest(WriteStatus("abc", "Success")) + MainMenu());
    const std::string runsAt = " = 1 # the port runs at 16456 bit/s, the nearest rate its clock allows";
    EXPECT_EQ(run.trace, (Trace{"UARTOpen(1, 0, 16457)" + runsAt, "UARTConfigure(1, 0, 0, 0, 8, 16457)" + runsAt,
                                "UARTWrite(1, \"abc\") = 1", "UARTClose(1) = 1"}));
    EXPECT_EQ(port.Received(3, 2000), "ABC");
}

TEST(UartOnImx, TheReadTestGetsThePeersText) {
    HeldPort port;
    port.Send("hello");
    ASSERT_TRUE(port.WaitForWaiting(5, 2000)) << "the peer's answer did not come";
    RunResult run = RunProgram("9\n2\n1 0 0 0 8 115200\n5\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + ReadTest(ReadStatus("HELLO", "Success")) + MainMenu());
    EXPECT_EQ(run.trace, (Trace{"UARTOpen(1, 0, 115200) = 1", "UARTConfigure(1, 0, 0, 0, 8, 115200) = 1",
                                "UARTRead(1, 5, ptr) = 1", "UARTClose(1) = 1"}));
}

}  // namespace
