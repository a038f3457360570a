// Serial ports on two pseudo-terminals: one port's blocking transfer does
// not hold up the other port or its own close.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <poll.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

#include "../../../hal/QZHalLib.h"
#include "host_board.h"
#include "serial_stand_in.h"
#include "stand_ins.h"

namespace {

class UartOnPseudoTerminals : public testing::Test {
protected:
    void SetUp() override {
        for (int port : {1, 2}) {
            ASSERT_EQ(UARTOpen(port, 0, 115200), 1);
            ASSERT_EQ(UARTConfigure(port, 0, 0, 0, 8, 115200), 1);
        }
    }
    void TearDown() override {
        g_achievedUartRate = nullptr;
        g_beforeCustomRate = nullptr;
        UARTClose(1);
        UARTClose(2);
        g_beforePoll = nullptr;
    }
};

// Takes what has come to the far end of `port`, without waiting (and
// without poll, which the library's poll stand-in may be calling this from).
std::string TakeFromPeer(int port) {
    std::string taken;
    char bytes[4096];
    int waiting = 0;
    while (ioctl(SerialPeer(port), FIONREAD, &waiting) == 0 && waiting > 0) {
        ssize_t got = ::read(SerialPeer(port), bytes, std::min(sizeof bytes, static_cast<size_t>(waiting)));
        if (got <= 0) break;
        taken.append(bytes, static_cast<size_t>(got));
    }
    return taken;
}

// What comes to the far end of `port`, waiting up to `timeoutMs` for
// `count` bytes (a pseudo-terminal hands them over a moment after the
// write).
std::string PeerReceived(int port, size_t count, int timeoutMs) {
    std::string received;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (received.size() < count && std::chrono::steady_clock::now() < end) {
        received += TakeFromPeer(port);
        if (received.size() < count) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return received;
}

// Runs a read of 10 bytes on port 1 (nothing comes) and returns once it
// waits.
class WaitingRead {
public:
    WaitingRead() {
        g_beforePoll = [this](const pollfd *, nfds_t, int timeout) {
            if (timeout > 100) waiting_ = true;
        };
        thread_ = std::thread([this] {
            result_ = UARTRead(1, 10, buffer_);
            done_ = true;
        });
        while (!waiting_) std::this_thread::yield();
    }
    ~WaitingRead() { Join(); }
    int32_t Join() {
        if (thread_.joinable()) thread_.join();
        return result_;
    }
    bool Done() const { return done_; }

private:
    std::atomic<bool> waiting_{false}, done_{false};
    int32_t result_ = -1;
    char buffer_[11];
    std::thread thread_;
};

TEST_F(UartOnPseudoTerminals, AWriteOnOnePortDoesNotWaitForAReadOnAnother) {
    WaitingRead read;
    EXPECT_EQ(UARTWrite(2, "hello"), 1);
    // The read waits 500 ms for its bytes; the write was done long before.
    EXPECT_FALSE(read.Done());
    char peer[6] = {};
    pollfd ready = {SerialPeer(2), POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 1000), 1);
    EXPECT_EQ(::read(SerialPeer(2), peer, 5), 5);
    EXPECT_STREQ(peer, "hello");
    EXPECT_EQ(read.Join(), 0);
}

TEST_F(UartOnPseudoTerminals, ClosingAPortEndsItsWaitingReadAtOnce) {
    WaitingRead read;
    EXPECT_EQ(UARTClose(1), 1);
    EXPECT_EQ(read.Join(), 0);
    EXPECT_EQ(LastTraceLine("UARTRead"), "UARTRead(1, 10, ptr) = 0 # UART port 1 closed while reading");
    EXPECT_EQ(UARTOpen(1, 0, 115200), 1);
}

TEST_F(UartOnPseudoTerminals, ATextWithLineEndsAndControlsStaysOnItsOwnTraceLine) {
    // A text made to look like the end of its call and a call of its own.
    const std::string text = "a\") = 1\nSoftReset() = 1\r\n\x01\\";
    int writes = TraceLineCount("UARTWrite"), resets = TraceLineCount("SoftReset");
    EXPECT_EQ(UARTWrite(2, text.c_str()), 1);
    EXPECT_EQ(TraceLineCount("UARTWrite"), writes + 1);
    EXPECT_EQ(TraceLineCount("SoftReset"), resets);
    EXPECT_EQ(LastTraceLine("UARTWrite"), R"(UARTWrite(2, "a\") = 1\nSoftReset() = 1\r\n\x01\\") = 1)");
    // The bytes themselves go out as they are.
    EXPECT_EQ(PeerReceived(2, text.size(), 2000), text);
}

TEST_F(UartOnPseudoTerminals, ACustomRateTheDriverRoundsIsTakenWithinTwoPerCentAndTraced) {
    // The i.MX UART's driver on its 80 MHz clock runs 16457 bit/s at 16456
    // and writes that back; a rate 2.4% off is too far for the two ends of
    // a 12-bit frame.
    g_achievedUartRate = [](uint32_t asked) { return asked == 16457 ? 16456u : asked == 250000 ? 244000u : asked; };
    const std::string runsAt = " = 1 # the port runs at 16456 bit/s, the nearest rate its clock allows";
    EXPECT_EQ(UARTConfigure(1, 0, 0, 0, 8, 16457), 1);
    EXPECT_EQ(LastTraceLine("UARTConfigure"), "UARTConfigure(1, 0, 0, 0, 8, 16457)" + runsAt);
    ASSERT_EQ(UARTClose(1), 1);
    EXPECT_EQ(UARTOpen(1, 0, 16457), 1);
    EXPECT_EQ(LastTraceLine("UARTOpen"), "UARTOpen(1, 0, 16457)" + runsAt);
    EXPECT_EQ(UARTConfigure(1, 0, 0, 0, 8, 250000), 0);
    EXPECT_EQ(LastTraceLine("UARTConfigure"), "UARTConfigure(1, 0, 0, 0, 8, 250000) = 0 # the port's driver runs at "
                                              "244000 bit/s when asked for 250000, more than 2% off");
}

TEST_F(UartOnPseudoTerminals, AStandardRateAfterACustomOneIsTheInputRateToo) {
    ASSERT_EQ(UARTConfigure(1, 0, 0, 0, 8, 250000), 1);
    ASSERT_EQ(UARTConfigure(1, 0, 0, 0, 8, 115200), 1);
    PortRates rates = RatesOf(SerialPort(1));
    EXPECT_EQ(rates.output, 115200u);
    EXPECT_EQ(rates.input, 115200u);
}

TEST_F(UartOnPseudoTerminals, AnOpenThatTakesLongHoldsUpNoOtherPort) {
    ASSERT_EQ(UARTClose(1), 1);
    // Port 1's driver takes its time to set a rate: until the test lets it
    // go, or five seconds at most.
    std::mutex mutex;
    std::condition_variable changed;
    bool setting = false, letGo = false;
    g_beforeCustomRate = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        setting = true;
        changed.notify_all();
        changed.wait_for(lock, std::chrono::seconds(5), [&] { return letGo; });
    };
    std::atomic<int32_t> opened{-1};
    std::thread opener([&] { opened = UARTOpen(1, 0, 250000); });
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return setting; }));
    }
    EXPECT_EQ(UARTWrite(2, "x"), 1);
    EXPECT_EQ(UARTConfigure(2, 0, 0, 0, 8, 9600), 1);
    EXPECT_EQ(UARTOpen(1, 0, 9600), 0);
    EXPECT_EQ(LastTraceLine("UARTOpen"), "UARTOpen(1, 0, 9600) = 0 # UART port 1 is already open");
    EXPECT_EQ(UARTWrite(1, "y"), 0);
    EXPECT_EQ(LastTraceLine("UARTWrite"), "UARTWrite(1, \"y\") = 0 # UART port 1 is not open");
    EXPECT_EQ(opened, -1) << "the other calls waited for the open";
    {
        std::lock_guard<std::mutex> lock(mutex);
        letGo = true;
        changed.notify_all();
    }
    opener.join();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(PeerReceived(2, 1, 2000), "x");
}

TEST_F(UartOnPseudoTerminals, AWritesDeadlineCountsEveryBitOfTheFrame) {
    // Two stop bits (a pseudo-terminal keeps 8 data bits and no parity):
    // 11 bits a byte.
    ASSERT_EQ(UARTConfigure(2, 0, 0, 2, 8, 115200), 1);
    std::atomic<int> firstWait{-1};
    g_beforePoll = [&](const pollfd *fds, nfds_t, int timeout) {
        int none = -1;
        if (fds[0].events & POLLOUT) firstWait.compare_exchange_strong(none, timeout);
    };
    // The far end takes what comes, so that the write goes on.
    const std::string text(200000, 'u');
    std::string received;
    std::thread peer([&] { received = PeerReceived(2, text.size(), 10000); });
    EXPECT_EQ(UARTWrite(2, text.c_str()), 1);
    peer.join();
    EXPECT_EQ(received, text);
    // The pseudo-terminal's buffers filled up, and the write waited for
    // room with its deadline: 200000 bytes of 11 bits at 115200 bit/s take
    // 19.1 s, and 0.5 s more are allowed (ten bits a byte would be 17.9 s).
    EXPECT_GT(firstWait, 19000);
    EXPECT_LE(firstWait, 19600);
}

}  // namespace
