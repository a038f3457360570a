// The simulated CAN channel called directly: its states, filter, peer node,
// bus time and the close that wakes a blocked transfer.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "../../hal/QZHalLib.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t kErrorTimedOut = 1;
constexpr int32_t kErrorNotReady = 2;
constexpr int32_t kErrorBadLength = 3;
constexpr int32_t kErrorClosed = 4;

// Opens channel 1 and sets it up for data frames of `id`; closes it again
// at the end of the test.
class CanChannelTest : public testing::Test {
protected:
    void Open(int32_t mode, uint32_t bitRate, int32_t id, int32_t timeoutMs, int32_t kind = 0) {
        ASSERT_EQ(CANOpen(1), 1);
        ASSERT_EQ(CANConfigureMode(1, mode, bitRate, 0, 0), 1);
        ASSERT_EQ(CANConfigureMessage(1, kind, id, 0, timeoutMs, 0), 1);
    }
    void TearDown() override { CANClose(1); }
};

TEST_F(CanChannelTest, OpensOnlyChannelOneAndOnlyOnce) {
    EXPECT_EQ(CANOpen(2), 0);
    EXPECT_EQ(CANClose(1), 0);
    EXPECT_EQ(CANOpen(1), 1);
    EXPECT_EQ(CANOpen(1), 0);
    EXPECT_EQ(CANClose(1), 1);
    EXPECT_EQ(CANOpen(1), 1);
}

TEST_F(CanChannelTest, RefusesConfigurationsOutsideTheBoardsLimits) {
    ASSERT_EQ(CANOpen(1), 1);
    EXPECT_EQ(CANConfigureMessage(1, 0, 0x25, 0, 100, 0), 0) << "message before mode";
    EXPECT_EQ(CANConfigureMode(1, 2, 500000, 0, 0), 0);
    EXPECT_EQ(CANConfigureMode(1, 0, 19999, 0, 0), 0);
    EXPECT_EQ(CANConfigureMode(1, 0, 1000001, 0, 0), 0);
    EXPECT_EQ(CANConfigureMode(1, 0, 20000, 0, 0), 1);
    EXPECT_EQ(CANConfigureMessage(1, 0, 0x800, 0, 100, 0), 0) << "11-bit ID";
    EXPECT_EQ(CANConfigureMessage(1, 0, 0x7FF, 256, 100, 0), 0) << "PRIO";
    EXPECT_EQ(CANConfigureMessage(1, 0, 0x7FF, 255, -1, 0), 0) << "timeout";
    EXPECT_EQ(CANConfigureMessage(1, 2, 0x7FF, 255, 0, 0), 0) << "kind";
    EXPECT_EQ(CANConfigureMessage(1, 0, 0x7FF, 255, 0, 2), 0) << "buffer";
    EXPECT_EQ(CANConfigureMessage(1, 0, 0x7FF, 255, 0, 1), 1);
    EXPECT_EQ(CANConfigureMode(1, 1, 1000000, 0, 0), 1);
    EXPECT_EQ(CANConfigureMessage(1, 0, 0x1FFFFFFF, 0, 0, 0), 1) << "29-bit ID";
    EXPECT_EQ(CANConfigureMessage(1, 0, 0x20000000, 0, 0, 0), 0);
    EXPECT_EQ(CANConfigureFilter(1, 0, 0, 0, 2), 0);
    // Back in standard mode the 29-bit ID cannot be sent until the message
    // is configured again.
    ASSERT_EQ(CANConfigureMode(1, 0, 1000000, 0, 0), 1);
    uint8_t byte[1] = {1};
    int32_t error = 0;
    EXPECT_EQ(CANWrite(1, byte, 1, &error), 0);
    EXPECT_EQ(error, 2);
}

TEST_F(CanChannelTest, TransfersStoreTheirErrorCodes) {
    // Nine bytes: the library is handed (and traces) all that the count says.
    uint8_t bytes[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    int32_t error = 0;
    EXPECT_EQ(CANWrite(1, bytes, 1, &error), 0);
    EXPECT_EQ(error, kErrorNotReady) << "closed";
    ASSERT_EQ(CANOpen(1), 1);
    error = 0;
    EXPECT_EQ(CANRead(1, bytes, 8, &error), 0);
    EXPECT_EQ(error, kErrorNotReady) << "not configured";
    ASSERT_EQ(CANConfigureMode(1, 0, 1000000, 0, 0), 1);
    ASSERT_EQ(CANConfigureMessage(1, 0, 0x40, 0, 0, 0), 1);
    EXPECT_EQ(CANWrite(1, bytes, 9, &error), 0);
    EXPECT_EQ(error, kErrorBadLength);
    error = 0;
    EXPECT_EQ(CANRead(1, bytes, -1, &error), 0);
    EXPECT_EQ(error, kErrorBadLength);
    // A filter nothing on the bus passes, and no wait.
    ASSERT_EQ(CANConfigureFilter(1, 0x7FF, 0x7FF, 0, 0), 1);
    EXPECT_EQ(CANRead(1, bytes, 8, &error), 0);
    EXPECT_EQ(error, kErrorTimedOut);
    EXPECT_EQ(CANRead(1, bytes, 8, nullptr), 0);
    error = 0;
    EXPECT_EQ(CANWrite(1, bytes, 8, &error), 1);
    EXPECT_EQ(error, 0) << "a good transfer stores no code";
}

TEST_F(CanChannelTest, ReadsThePeersDataFramesAndTellsTheirId) {
    Open(0, 500000, 0x10, 1000);
    int32_t id = -1;
    EXPECT_EQ(CANGetMessageParameter(1, &id, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(id, -1) << "nothing read yet";
    uint8_t first[8] = {};
    uint8_t second[3] = {};
    ASSERT_EQ(CANRead(1, first, 8, nullptr), 1);
    ASSERT_EQ(CANRead(1, second, 3, nullptr), 1);
    EXPECT_EQ((std::vector<uint8_t>(first, first + 7)), (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}));
    EXPECT_EQ((std::vector<uint8_t>(second, second + 3)), (std::vector<uint8_t>{0x11, 0x22, 0x33}));
    int32_t kind = -1, length = -1;
    ASSERT_EQ(CANGetMessageParameter(1, &id, &kind, &length, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(id, 0x25);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(length, 8);
    CANClose(1);
    EXPECT_EQ(CANGetMessageParameter(1, &id, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
}

TEST_F(CanChannelTest, RemoteFilterReceivesOnlyTheRemoteFrameWithoutData) {
    Open(0, 125000, 0x10, 2000);
    ASSERT_EQ(CANConfigureFilter(1, 0, 0, 0, 1), 1);
    uint8_t bytes[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_EQ(CANRead(1, bytes, 8, nullptr), 1);
    EXPECT_EQ(bytes[0], 0xEE) << "a remote frame stores no bytes";
    int32_t id = 0, kind = 0, length = 0;
    ASSERT_EQ(CANGetMessageParameter(1, &id, &kind, &length, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(id, 0x26);
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(length, 2);
}

TEST_F(CanChannelTest, FilterThatMatchesNothingTimesOutAndDropsFramesAlreadyReceived) {
    Open(0, 500000, 0x10, 0);
    // Frames of the peer arrive while the filter accepts every data frame...
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    // ...and go when a filter that refuses them is set.
    ASSERT_EQ(CANConfigureFilter(1, 0x30, 0x7FF, 0, 0), 1);
    uint8_t bytes[8] = {};
    int32_t error = 0;
    EXPECT_EQ(CANRead(1, bytes, 8, &error), 0);
    EXPECT_EQ(error, kErrorTimedOut);
    // The reset lets the peer's data frames through again.
    ASSERT_EQ(CANConfigureMessage(1, 0, 0x10, 0, 1000, 0), 1);
    ASSERT_EQ(CANResetFilter(1), 1);
    EXPECT_EQ(CANRead(1, bytes, 8, &error), 1);
}

TEST_F(CanChannelTest, CloseFromAnotherThreadWakesABlockedRead) {
    // The reader must be inside CANRead when the close comes; a loaded
    // machine may start it late, so a close that came first (code 2) is
    // tried again with a longer head start.
    int32_t result = -1, error = 0;
    for (int headStartMs : {20, 200, 2000}) {
        Open(0, 500000, 0x10, 30000);
        ASSERT_EQ(CANConfigureFilter(1, 0x30, 0x7FF, 0, 0), 1);
        std::thread reader([&] {
            uint8_t bytes[8];
            result = CANRead(1, bytes, 8, &error);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(headStartMs));
        EXPECT_EQ(CANClose(1), 1);
        reader.join();
        if (error != kErrorNotReady) break;
    }
    EXPECT_EQ(result, 0);
    // Had the close not woken it, the read would have timed out (code 1)
    // after 30 s.
    EXPECT_EQ(error, kErrorClosed);
}

TEST_F(CanChannelTest, PeerEchoesEveryWrittenDataFrameWhileReadAndWriteRunTogether) {
    constexpr int kFrames = 20;
    Open(1, 1000000, 0x1234567, 1000);
    ASSERT_EQ(CANConfigureFilter(1, 0x1234567, 0x1FFFFFFF, 0, 0), 1);
    std::vector<int> echoed;
    std::thread reader([&] {
        for (int i = 0; i < kFrames; ++i) {
            uint8_t bytes[8] = {};
            if (CANRead(1, bytes, 8, nullptr) != 1) return;
            echoed.push_back(bytes[0] * 256 + bytes[1]);
        }
    });
    for (int i = 0; i < kFrames; ++i) {
        uint8_t bytes[2] = {static_cast<uint8_t>(i + 1), 0xAB};
        ASSERT_EQ(CANWrite(1, bytes, 2, nullptr), 1);
    }
    reader.join();
    ASSERT_EQ(echoed.size(), static_cast<size_t>(kFrames));
    for (int i = 0; i < kFrames; ++i) EXPECT_EQ(echoed[i], (i + 1) * 256 + 0xAB);
}

TEST_F(CanChannelTest, NodeDoesNotReceiveItsOwnRemoteFrames) {
    // The peer echoes data frames only, so a remote frame never comes back.
    Open(0, 1000000, 0x40, 150, 1);
    ASSERT_EQ(CANConfigureFilter(1, 0x40, 0x7FF, 0, 1), 1);
    uint8_t bytes[8] = {};
    ASSERT_EQ(CANWrite(1, bytes, 4, nullptr), 1);
    int32_t error = 0;
    EXPECT_EQ(CANRead(1, bytes, 8, &error), 0);
    EXPECT_EQ(error, kErrorTimedOut);
}

TEST_F(CanChannelTest, FramesTakeTheirBusTimeAtTheBitRate) {
    // An 8-byte standard frame is 111 bits: 5.55 ms at 20000 bit/s.
    Open(0, 20000, 0x40, 1000);
    uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    Clock::time_point start = Clock::now();
    for (int i = 0; i < 10; ++i) ASSERT_EQ(CANWrite(1, bytes, 8, nullptr), 1);
    EXPECT_GE(Clock::now() - start, std::chrono::microseconds(55500));
}

TEST_F(CanChannelTest, SoftResetClosesTheChannel) {
    Open(0, 500000, 0x10, 100);
    ASSERT_EQ(SoftReset(), 1);
    int32_t error = 0;
    uint8_t bytes[1] = {};
    EXPECT_EQ(CANWrite(1, bytes, 1, &error), 0);
    EXPECT_EQ(error, kErrorNotReady);
    EXPECT_EQ(CANOpen(1), 1);
}

}  // namespace
