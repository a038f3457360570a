// The simulated serial ports called directly.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "../../hal/QZHalLib.h"

namespace {

bool OpenPort(int32_t port, int32_t flow = 0, int32_t byteSize = 8) {
    return UARTOpen(port, flow, 115200) == 1 && UARTConfigure(port, flow, 0, 0, byteSize, 115200) == 1;
}

TEST(UartPorts, OpenAndConfigureCheckTheirValues) {
    EXPECT_EQ(UARTOpen(4, 0, 9600), 0);
    EXPECT_EQ(UARTOpen(1, 3, 9600), 0);
    EXPECT_EQ(UARTOpen(1, 0, 1199), 0);
    EXPECT_EQ(UARTOpen(1, 0, 256001), 0);
    EXPECT_EQ(UARTConfigure(1, 0, 0, 0, 8, 9600), 0);  // not open
    ASSERT_EQ(UARTOpen(1, 0, 9600), 1);
    EXPECT_EQ(UARTOpen(1, 0, 9600), 0);
    EXPECT_EQ(UARTWrite(1, "x"), 0);  // not configured
    EXPECT_EQ(UARTConfigure(1, 0, 5, 0, 8, 9600), 0);
    EXPECT_EQ(UARTConfigure(1, 0, 0, 3, 8, 9600), 0);
    EXPECT_EQ(UARTConfigure(1, 0, 0, 0, 4, 9600), 0);
    EXPECT_EQ(UARTConfigure(1, 0, 0, 0, 8, 9600), 1);
    char buffer[8];
    EXPECT_EQ(UARTRead(1, 0, buffer), 0);
    EXPECT_EQ(UARTRead(1, 4097, buffer), 0);
    EXPECT_EQ(UARTClose(1), 1);
    EXPECT_EQ(UARTClose(1), 0);
}

TEST(UartPorts, LoopbackQueueOutlivesACloseAndReadsEndWithANul) {
    ASSERT_TRUE(OpenPort(1));
    ASSERT_EQ(UARTWrite(1, "hello"), 1);
    UARTClose(1);
    ASSERT_TRUE(OpenPort(1));
    char buffer[8];
    std::memset(buffer, 'z', sizeof buffer);
    EXPECT_EQ(UARTRead(1, 3, buffer), 1);
    EXPECT_STREQ(buffer, "hel");
    // Only two of four arrive: they are stored, the read fails.
    EXPECT_EQ(UARTRead(1, 4, buffer), 0);
    EXPECT_STREQ(buffer, "lo");
    UARTClose(1);
}

TEST(UartPorts, ShortByteSizesDropTheHighBits) {
    ASSERT_TRUE(OpenPort(1, 0, 5));
    ASSERT_EQ(UARTWrite(1, "a"), 1);  // 0x61 keeps 0x01
    char buffer[2];
    EXPECT_EQ(UARTRead(1, 1, buffer), 1);
    EXPECT_EQ(buffer[0], '\x01');
    UARTClose(1);
}

TEST(UartPorts, ReadWaitingOnTheLoopbackGetsAWriteFromAnotherThread) {
    ASSERT_TRUE(OpenPort(1));
    char buffer[8] = {};
    int32_t result = 0;
    std::thread reader([&] { result = UARTRead(1, 3, buffer); });
    EXPECT_EQ(UARTWrite(1, "xyz"), 1);
    reader.join();
    EXPECT_EQ(result, 1);
    EXPECT_STREQ(buffer, "xyz");
    UARTClose(1);
}

TEST(UartPorts, TerminalSendsTicksInOrderAndStartsAgainAtEveryOpen) {
    char buffer[16];
    ASSERT_TRUE(OpenPort(2));
    ASSERT_EQ(UARTRead(2, 10, buffer), 1);
    EXPECT_STREQ(buffer, "tick1tick2");
    UARTClose(2);
    ASSERT_TRUE(OpenPort(2));
    ASSERT_EQ(UARTRead(2, 5, buffer), 1);
    EXPECT_STREQ(buffer, "tick1");
    UARTClose(2);
}

TEST(UartPorts, UnwiredPortReceivesNothingAndFailsWritesUnderHardwareFlowControl) {
    ASSERT_TRUE(OpenPort(3, 2));
    EXPECT_EQ(UARTWrite(3, "abc"), 0);
    char buffer[4] = {'q', 'q', 'q', 'q'};
    EXPECT_EQ(UARTRead(3, 1, buffer), 0);
    EXPECT_EQ(buffer[0], '\0');
    UARTClose(3);
    ASSERT_TRUE(OpenPort(3, 1));
    EXPECT_EQ(UARTWrite(3, "abc"), 1);
    UARTClose(3);
}

TEST(UartPorts, SoftResetClosesThePortsAndEmptiesTheQueues) {
    ASSERT_TRUE(OpenPort(1));
    ASSERT_EQ(UARTWrite(1, "left"), 1);
    EXPECT_EQ(SoftReset(), 1);
    ASSERT_TRUE(OpenPort(1));  // the reset closed it
    ASSERT_EQ(UARTWrite(1, "new"), 1);
    char buffer[8];
    EXPECT_EQ(UARTRead(1, 3, buffer), 1);
    EXPECT_STREQ(buffer, "new");
    UARTClose(1);
}

}  // namespace
