// CAN bit rates on a controller with bit timing: vmcan0 of the test machine
// (tests/linux/vm/modules/vm_can.c) has FlexCAN's limits on a 30 MHz clock,
// so the kernel's own arithmetic picks the rate it runs at, as on a board.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "can_bit_rate.h"
#include "can_bit_timing.h"
#include "kernel_side.h"
#include "program_run.h"

namespace {

constexpr can_bittiming_const kVmCanLimits = {"vm-can", 4, 16, 2, 8, 4, 1, 256, 1};
constexpr uint32_t kVmCanClock = 30000000;

// Loads vm_can again with another clock; vmcan0 comes back down, without a
// bit rate.
void LoadVmCan(uint32_t clockHz) {
    std::string command = "rmmod vm_can && insmod /lib/modules/vm_can.ko clock_hz=" + std::to_string(clockHz);
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

TEST(CanBitTimingOnTheKernel, TheLibrarysArithmeticLandsOnTheRateTheKernelSets) {
    // The i.MX6's FlexCAN clock, an i.MX8's, and a clock too slow for the
    // highest rates, which the kernel refuses (more than 5% off).
    for (uint32_t clock : {kVmCanClock, 40000000u, 8000000u}) {
        SCOPED_TRACE("clock " + std::to_string(clock) + " Hz");
        LoadVmCan(clock);
        for (uint32_t rate = 20000; rate <= 1000000; rate += 3271) {
            std::string why;
            uint32_t inUse = 0;
            // A rate far from this one first, so that the kernel computes
            // this one rather than the library keeping the link as it is.
            ASSERT_TRUE(SetCanBitRate("vmcan0", rate < 500000 ? 1000000 : 20000, inUse, why)) << why;
            uint32_t expected = KernelCanBitRate(clock, kVmCanLimits, rate);
            bool set = SetCanBitRate("vmcan0", rate, inUse, why);
            if (expected == 0) {
                EXPECT_FALSE(set) << rate << " bit/s runs at " << inUse;
            } else {
                EXPECT_TRUE(set) << rate << " bit/s: " << why;
                EXPECT_EQ(inUse, expected) << rate << " bit/s";
            }
        }
    }
    LoadVmCan(kVmCanClock);
}

TEST(CanBitTimingOnTheKernel, ARateTheClockRoundsIsSetOnceAndThenLeftAsItIs) {
    // 800000 bit/s runs at 789473 on the 30 MHz clock. A second test at
    // that rate must not take the link down again: the frames of other
    // sockets would be lost, and they would see ENETDOWN.
    const std::string map = "/tmp/vmcan.conf";
    WriteText(map, "can.1 = vmcan0\n");
    const std::string script = "10\n1\n0\n0x25\n800000\n7\nabc\n0\n0\n";
    const std::string configured =
        "CANConfigureMode(1, 0, 800000, 0, 0) = 1 # vmcan0 runs at 789473 bit/s, the nearest rate its clock allows";
    RunResult first = RunProgram(script, {{"QZHAL_BOARD_MAP", map}});
    CanPeer other("vmcan0");
    RunResult second = RunProgram(script, {{"QZHAL_BOARD_MAP", map}});
    ASSERT_GE(first.trace.size(), 4u);
    ASSERT_GE(second.trace.size(), 4u);
    EXPECT_EQ(first.trace[1], configured);
    EXPECT_EQ(second.trace[1], configured);
    EXPECT_EQ(second.trace[3], "CANWrite(1, [12 30], 2, null) = 1");
    EXPECT_EQ(other.PendingError(), 0) << "the link went down";
    EXPECT_EQ(other.Received(1000).size(), 1u);
}

}  // namespace
