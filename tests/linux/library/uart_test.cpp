// Serial ports on two pseudo-terminals: one port's blocking transfer does
// not hold up the other port or its own close.
#include <gtest/gtest.h>

#include <atomic>
#include <poll.h>
#include <thread>
#include <unistd.h>

#include "../../../hal/QZHalLib.h"
#include "host_board.h"
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
        UARTClose(1);
        UARTClose(2);
        g_beforePoll = nullptr;
    }
};

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
    std::string sent(text.size(), '\0');
    pollfd ready = {SerialPeer(2), POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 1000), 1);
    EXPECT_EQ(::read(SerialPeer(2), &sent[0], sent.size()), static_cast<ssize_t>(text.size()));
    EXPECT_EQ(sent, text);
}

}  // namespace
