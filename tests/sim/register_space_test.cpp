// The simulated physical register space, called directly.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "../../hal/QZHalLib.h"

namespace {

constexpr uint32_t kBoardIdAddress = 0x10000000;

TEST(SimPhysicalMemory, ReachesAlignedRegistersOnChannelsOneToNineWithWidth32) {
    EXPECT_EQ(WritePhysicalAddress(1, 0x1000, 32, 0x1234, 1), 0x1234);
    EXPECT_EQ(WritePhysicalAddress(9, 0x1004, 32, 0x5678, 0), 0x5678);
    EXPECT_EQ(ReadPhysicalAddress(5, 0x1000, 32), 0x1234u);
    EXPECT_EQ(ReadPhysicalAddress(2, 0x1008, 32), 0u);  // never written
    // Refused accesses: the write returns -1 and stores nothing.
    EXPECT_EQ(WritePhysicalAddress(0, 0x1000, 32, 1, 1), -1);
    EXPECT_EQ(WritePhysicalAddress(10, 0x1000, 32, 1, 1), -1);
    EXPECT_EQ(WritePhysicalAddress(1, 0x1000, 16, 1, 1), -1);
    EXPECT_EQ(WritePhysicalAddress(1, 0x1002, 32, 1, 1), -1);
    EXPECT_EQ(ReadPhysicalAddress(1, 0x1000, 32), 0x1234u);
    EXPECT_EQ(ReadPhysicalAddress(10, 0x1000, 32), 0u);
    EXPECT_EQ(ReadPhysicalAddress(1, 0x1000, 8), 0u);
    EXPECT_EQ(ReadPhysicalAddress(1, 0x1001, 32), 0u);
}

TEST(SimPhysicalMemory, SoftResetClearsTheRegistersButNotTheBoardId) {
    ASSERT_EQ(WritePhysicalAddress(1, 0x3000, 32, 7, 1), 7);
    SoftReset();
    EXPECT_EQ(ReadPhysicalAddress(1, 0x3000, 32), 0u);
    EXPECT_EQ(ReadPhysicalAddress(1, kBoardIdAddress, 32), 0xab01u);
}

// Four threads, each on its own channel and register, write and read at
// once; every read must see that thread's last write. Run under
// ThreadSanitizer in CI.
TEST(SimPhysicalMemory, FourThreadsMayAccessTheRegistersAtOnce) {
    constexpr int kRounds = 2000;
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int32_t channel = 1; channel <= 4; ++channel) {
        threads.emplace_back([channel, &mismatches] {
            uint32_t address = 0x4000 + 4u * static_cast<uint32_t>(channel);
            for (uint32_t round = 1; round <= kRounds; ++round) {
                uint32_t value = (static_cast<uint32_t>(channel) << 16) | round;
                if (WritePhysicalAddress(channel, address, 32, value, 1) != static_cast<int32_t>(value) ||
                    ReadPhysicalAddress(channel, address, 32) != value ||
                    ReadPhysicalAddress(channel, kBoardIdAddress, 32) != 0xab01u)
                    ++mismatches[static_cast<size_t>(channel - 1)];
            }
        });
    }
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(mismatches, (std::vector<int>{0, 0, 0, 0}));
}

}  // namespace
