// CAN through SocketCAN on vcan0. A second socket plays the other node: it
// sends frames once the program's filter is in the kernel, and sees what
// the program sends.
#include <gtest/gtest.h>

#include <algorithm>

#include "can_text.h"
#include "kernel_side.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

const std::string kZeroBytes = "0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0";

std::string ReadLine(const std::string &lead, const std::string &id, const std::string &bytes) {
    return Line(lead + " - ID: 0x" + id + " - Data: " + bytes + " Status: Success!!!");
}

// The script of one test, then 0 for the main menu and 0 to end; `action`
// runs once the test's last prompt is out.
RunResult VisitCanMenu(const std::string &test, const char *lastPrompt, std::function<void()> action) {
    RunOptions options;
    options.input = {{"10\n" + test}, {"0\n0\n", lastPrompt, 1, 0, action}};
    return RunProgram(options);
}

TEST(CanOnSocketCan, TheFilterLetsOneFrameThroughAndHoldsAnother) {
    // Filter 0x120 with mask 0x7f0: 0x105 is held, 0x12a passes.
    CanPeer peer;
    RunResult run = VisitCanMenu("6\n0\n500000\n0x120\n0x7f0\n8\n", kCanLengthPrompt, InDialogue([&] {
        ASSERT_TRUE(WaitForCanFilter(0x120, 0x7f0 | CAN_RTR_FLAG, 5000));
        peer.Send(0x105, {1, 2, 3});
        peer.Send(0x12a, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88});
    }));
    const std::string result = TestHeader("CAN Filter Read Test") + kCanModePrompt + kCanFrequencyPrompt +
                               kCanFilterPrompt + kCanMaskPrompt + kCanLengthPrompt +
                               ReadLine("CAN Filter Read Test", "12a", "0x11 0x22 0x33 0x44 0x55 0x66 0x77 0x88") +
                               kClosingLine + CanMenu();
    EXPECT_EQ(run.output, CanVisit(result));
    EXPECT_EQ(run.trace, (Trace{"CANOpen(1) = 1", "CANConfigureMode(1, 0, 500000, 0, 0) = 1",
                                "CANConfigureMessage(1, 0, 0, 0, 30000, 1) = 1",
                                "CANConfigureFilter(1, 288, 2032, 0, 0) = 1", "CANRead(1, ptr, 8, null) = 1",
                                "CANResetFilter(1) = 1",
                                "CANGetMessageParameter(1, ptr, null, null, null, null, null, null) = 1",
                                "CANClose(1) = 1"}));
}

TEST(CanOnSocketCan, ARemoteReadTakesTheRemoteFrameAndNotTheDataFrameBeforeIt) {
    CanPeer peer;
    RunResult run = VisitCanMenu("4\n0\n125000\n2\n", kCanLengthPrompt, InDialogue([&] {
        ASSERT_TRUE(WaitForCanFilter(CAN_RTR_FLAG, CAN_RTR_FLAG, 5000));
        peer.Send(0x25, {1, 2});
        peer.Send(0x26, {}, true, 2);
    }));
    const std::string result = TestHeader("CAN Remote Read Test") + kCanModePrompt + kCanFrequencyPrompt +
                               kCanLengthPrompt + ReadLine("CAN Remote Read Test", "26", kZeroBytes) + kClosingLine +
                               CanMenu();
    EXPECT_EQ(run.output, CanVisit(result));
    EXPECT_EQ(run.trace, (Trace{"CANOpen(1) = 1", "CANConfigureMode(1, 0, 125000, 0, 0) = 1",
                                "CANConfigureMessage(1, 0, 0, 0, 30000, 0) = 1",
                                "CANConfigureFilter(1, 0, 0, 0, 1) = 1", "CANRead(1, ptr, 2, null) = 1",
                                "CANGetMessageParameter(1, ptr, null, null, null, null, null, null) = 1",
                                "CANClose(1) = 1"}));
}

TEST(CanOnSocketCan, TheOtherNodeSeesADataFrameARemoteFrameAndAnExtendedId) {
    CanPeer peer;
    RunResult run = RunProgram("10\n1\n0\n0x25\n500000\n7\nabc\n3\n0\n0x30\n250000\n0\n2\n"
                               "5\n1\n0x123\n1000000\n1\n0x25\n0x1f0\n3\n0\n0\n");
    EXPECT_EQ(run.trace.at(3), "CANWrite(1, [12 30], 2, null) = 1");
    EXPECT_EQ(run.trace.at(8), "CANWrite(1, [], 2, null) = 1");
    EXPECT_EQ(run.trace.at(14), "CANWrite(1, [00 00 00], 3, null) = 1");
    std::vector<can_frame> frames = peer.Received(1000);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].can_id, 0x25u);
    EXPECT_EQ(std::vector<uint8_t>(frames[0].data, frames[0].data + frames[0].len), (std::vector<uint8_t>{0x12, 0x30}));
    EXPECT_EQ(frames[1].can_id, 0x30u | CAN_RTR_FLAG);
    EXPECT_EQ(frames[1].len, 2);
    EXPECT_EQ(frames[2].can_id, 0x123u | CAN_EFF_FLAG);
    EXPECT_EQ(frames[2].len, 3);
}

TEST(CanOnSocketCan, ClosingTheChannelWakesAReadBlockedForThirtySeconds) {
    // The async test's reader waits up to 30 s for a frame no one sends; the
    // Space that ends the test closes the channel from the console thread.
    // A close that did not wake the read would hold the program past the
    // run's time limit. On a one-core board the reader may not have
    // reached its read when the writer's first line is out: the Space
    // comes a moment later, once it waits.
    RunOptions options;
    options.input = {{"10\n7\n0\n500000\n25\nabc\n8\n30000\n1000\n"},
                     {" \n0\n0\n", "CAN Write Count: 0 ", 1, 200}};
    options.timeoutMs = 10000;
    RunResult run = RunProgram(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_NE(run.output.find("\nCAN Read Error: 4\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(Line("CAN Async Read/Write Test - Status: Success!!!")), std::string::npos);
    EXPECT_NE(std::find(run.trace.begin(), run.trace.end(),
                        "CANRead(1, ptr, 8, ptr) = 0 # channel closed while waiting"),
              run.trace.end());
    // The read's line and the close's come in either order.
    EXPECT_NE(std::find(run.trace.begin(), run.trace.end(), "CANClose(1) = 1"), run.trace.end());
}

}  // namespace
