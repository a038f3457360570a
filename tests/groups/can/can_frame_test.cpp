// CAN menu transcripts: the single-frame tests, their calls and result lines.
#include <gtest/gtest.h>

#include "can_text.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

const std::string kZeroBytes = "0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0";
const std::string kPeerBytes = "0x11 0x22 0x33 0x44 0x55 0x66 0x77 0xN";

std::string WriteTest(const std::string &result) {
    return TestHeader("CAN Write Test") + kCanModePrompt + kCanIdPrompt + kCanFrequencyPrompt + kCanPrioPrompt +
           kCanDataPrompt + result + kClosingLine + CanMenu();
}

std::string ReadTest(const std::string &result) {
    return TestHeader("CAN Read Test") + kCanModePrompt + kCanFrequencyPrompt + kCanLengthPrompt + result +
           kClosingLine + CanMenu();
}

std::string RemoteWriteTest(const std::string &result) {
    return TestHeader("CAN Remote Write Test") + kCanModePrompt + kCanIdPrompt + kCanFrequencyPrompt +
           kCanPrioPrompt + kCanLengthPrompt + result + kClosingLine + CanMenu();
}

std::string RemoteReadTest(const std::string &result) {
    return TestHeader("CAN Remote Read Test") + kCanModePrompt + kCanFrequencyPrompt + kCanLengthPrompt + result +
           kClosingLine + CanMenu();
}

std::string FilterWriteTest(const std::string &result) {
    return TestHeader("CAN Filter Write Test") + kCanModePrompt + kCanIdPrompt + kCanFrequencyPrompt +
           kCanPrioPrompt + kCanFilterPrompt + kCanMaskPrompt + kCanLengthPrompt + result + kClosingLine +
           CanMenu();
}

std::string FilterReadTest(const std::string &result) {
    return TestHeader("CAN Filter Read Test") + kCanModePrompt + kCanFrequencyPrompt + kCanFilterPrompt +
           kCanMaskPrompt + kCanLengthPrompt + result + kClosingLine + CanMenu();
}

std::string WriteLine(const std::string &data, const char *status) {
    return Line("CAN Write Test - Data: " + data + " Status: " + status + "!!!");
}

std::string ReadLine(const std::string &lead, const std::string &id, const std::string &bytes, const char *status) {
    return Line(lead + " - ID: 0x" + id + " - Data: " + bytes + " Status: " + status + "!!!");
}

Trace WriteCalls(const std::string &configureMessage, const std::string &write) {
    return {"CANOpen(1) = 1", "CANConfigureMode(1, 0, 500000, 0, 0) = 1", configureMessage, write,
            "CANClose(1) = 1"};
}

// One visit: the script of the tests, then 0 for the main menu and 0 to end.
RunResult VisitCanMenu(const std::string &tests, const std::map<std::string, std::string> &environment = {}) {
    return RunProgram("10\n" + tests + "0\n0\n", environment);
}

TEST(CanWrite, SendsThePackedTextWithTheIdAndTheLowByteOfPrio) {
    // PRIO 300 reaches the library as 44; the ID reads the same with and
    // without 0x.
    RunResult run = VisitCanMenu("1\n0\n0x25\n500000\n300\nabc\n1\n0\n25\n500000\n7\nabc\n");
    EXPECT_EQ(run.output, CanVisit(WriteTest(WriteLine("abc", "Success")) + WriteTest(WriteLine("abc", "Success"))));
    Trace expected = WriteCalls("CANConfigureMessage(1, 0, 37, 44, 30000, 1) = 1", "CANWrite(1, [12 30], 2, null) = 1");
    Trace second = WriteCalls("CANConfigureMessage(1, 0, 37, 7, 30000, 1) = 1", "CANWrite(1, [12 30], 2, null) = 1");
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(run.trace, expected);
    EXPECT_EQ(run.exitCode, 1);
}

TEST(CanWrite, PacksTwoCharactersPerByteUpToTheFirstZeroByte) {
    RunResult run = VisitCanMenu("1\n0\n25\n500000\n0\n1200ab\n"
                                 "1\n0\n25\n500000\n0\nff\n"
                                 "1\n0\n25\n500000\n0\n7\n"
                                 "1\n0\n25\n500000\n0\n12345678911234567891\n");
    const char twenty[] = "12345678911234567891";
    EXPECT_EQ(run.output, CanVisit(WriteTest(WriteLine("1200ab", "Success")) + WriteTest(WriteLine("ff", "Success")) +
                                   WriteTest(WriteLine("7", "Success")) +
                                   WriteTest("CAN Write Test failed" + WriteLine(twenty, "Failed"))));
    Trace writes;
    for (const std::string &line : run.trace)
        if (line.rfind("CANWrite(", 0) == 0) writes.push_back(line);
    // Ten bytes go to the library, which refuses more than one frame's
    // eight; the trace shows all ten.
    EXPECT_EQ(writes, (Trace{"CANWrite(1, [12], 1, null) = 1", "CANWrite(1, [66], 1, null) = 1",
                             "CANWrite(1, [70], 1, null) = 1",
                             "CANWrite(1, [12 34 56 78 91 12 34 56 78 91], 10, null) = 0"}));
    EXPECT_EQ(run.trace.back(), "CANClose(1) = 1");
}

TEST(CanWrite, CutsAWordToTheFortyNineCharactersTheTextBufferHolds) {
    std::string word(60, '1');
    RunResult run = VisitCanMenu("1\n0\n25\n500000\n0\n" + word + "\n");
    EXPECT_EQ(run.output,
              CanVisit(WriteTest("CAN Write Test failed" + WriteLine(std::string(49, '1'), "Failed"))));
    // 49 characters pack into 24 bytes 11 and a last byte 10; the trace
    // shows all 25 the program hands over.
    std::string bytes;
    for (int i = 0; i < 24; ++i) bytes += "11 ";
    EXPECT_EQ(run.trace.at(3), "CANWrite(1, [" + bytes + "10], 25, null) = 0");
}

TEST(CanWrite, FailedConfigurationClosesTheChannelWithoutFailureText) {
    RunResult run = VisitCanMenu("1\n5\n25\n500000\n0\nabc\n1\n0\n25\n10\n0\nabc\n");
    EXPECT_EQ(run.output, CanVisit(WriteTest(WriteLine("abc", "Failed")) + WriteTest(WriteLine("abc", "Failed"))));
    EXPECT_EQ(run.trace, (Trace{"CANOpen(1) = 1", "CANConfigureMode(1, 5, 500000, 0, 0) = 0", "CANClose(1) = 1",
                                "CANOpen(1) = 1", "CANConfigureMode(1, 0, 10, 0, 0) = 0", "CANClose(1) = 1"}));
}

TEST(CanWrite, FailedOpenPrintsTheFailureTextIntoTheResultLineAndCallsNothingMore) {
    RunResult run = VisitCanMenu("1\n0\n25\n500000\n0\nabc\n", {{"QZHAL_SIM_FAIL", "CANOpen"}});
    EXPECT_EQ(run.output, CanVisit(WriteTest("CAN Write Test failed" + WriteLine("abc", "Failed"))));
    EXPECT_EQ(run.trace, Trace{"CANOpen(1) = 0"});
}

TEST(CanRead, PrintsOneLinePerEightBytesOfTheDataLength) {
    RunResult run = VisitCanMenu("2\n0\n500000\n8\n2\n0\n500000\n9\n2\n0\n500000\n0\n");
    const std::string frame = ReadLine("CAN Read Test", "25", kPeerBytes, "Success");
    const std::string zeros = ReadLine("CAN Read Test", "25", kZeroBytes, "Success");
    EXPECT_EQ(WithPeerCounterHidden(run.output), CanVisit(ReadTest(frame) + ReadTest(frame + zeros) + ReadTest("")));
    const Trace oneRead = {"CANOpen(1) = 1",
                           "CANConfigureMode(1, 0, 500000, 0, 0) = 1",
                           "CANConfigureMessage(1, 0, 0, 0, 30000, 0) = 1",
                           "CANConfigureFilter(1, 0, 0, 0, 0) = 1",
                           "CANRead(1, ptr, 8, null) = 1",
                           "CANGetMessageParameter(1, ptr, null, null, null, null, null, null) = 1",
                           "CANClose(1) = 1"};
    Trace expected = oneRead;
    for (const char *count : {"9", "0"}) {
        Trace next = oneRead;
        next[4] = std::string("CANRead(1, ptr, ") + count + ", null) = 1";
        expected.insert(expected.end(), next.begin(), next.end());
    }
    EXPECT_EQ(run.trace, expected);
}

TEST(CanRead, NeverAsksForMoreThanTheReceiveBufferHolds) {
    RunResult run = VisitCanMenu("2\n0\n500000\n1000\n");
    std::string lines = ReadLine("CAN Read Test", "25", kPeerBytes, "Success");
    for (int line = 1; line < 7; ++line) lines += ReadLine("CAN Read Test", "25", kZeroBytes, "Success");
    EXPECT_EQ(WithPeerCounterHidden(run.output), CanVisit(ReadTest(lines)));
    EXPECT_EQ(run.trace.at(4), "CANRead(1, ptr, 56, null) = 1");
}

TEST(CanRead, FailedReadShowsTheIdLeftByAnEarlierTestOfTheVisit) {
    // The ID starts at 0; the Write test's 0x25 stays when no frame is read.
    RunResult run = VisitCanMenu("2\n0\n500000\n8\n1\n0\n25\n500000\n0\nabc\n2\n0\n500000\n8\n",
                                 {{"QZHAL_SIM_FAIL", "CANRead"}});
    EXPECT_EQ(run.output,
              CanVisit(ReadTest("CAN Read Test failed" + ReadLine("CAN Read Test", "0", kZeroBytes, "Failed")) +
                       WriteTest(WriteLine("abc", "Success")) +
                       ReadTest("CAN Read Test failed" + ReadLine("CAN Read Test", "25", kZeroBytes, "Failed"))));
    const Trace failedRead = {"CANOpen(1) = 1", "CANConfigureMode(1, 0, 500000, 0, 0) = 1",
                              "CANConfigureMessage(1, 0, 0, 0, 30000, 0) = 1", "CANConfigureFilter(1, 0, 0, 0, 0) = 1",
                              "CANRead(1, ptr, 8, null) = 0", "CANClose(1) = 1"};
    EXPECT_EQ(Trace(run.trace.begin(), run.trace.begin() + 6), failedRead);
    EXPECT_EQ(Trace(run.trace.end() - 6, run.trace.end()), failedRead);
}

TEST(CanRead, FailedOpenPrintsTheFailureTextIntoTheResultLine) {
    RunResult run = VisitCanMenu("2\n0\n500000\n8\n", {{"QZHAL_SIM_FAIL", "CANOpen"}});
    EXPECT_EQ(run.output,
              CanVisit(ReadTest("CAN Read Test failed" + ReadLine("CAN Read Test", "0", kZeroBytes, "Failed"))));
    EXPECT_EQ(run.trace, Trace{"CANOpen(1) = 0"});
}

TEST(CanRemoteWrite, SendsARemoteFrameOfTheTypedLength) {
    RunResult run = VisitCanMenu("3\n0\n0x30\n250000\n256\n2\n");
    EXPECT_EQ(run.output, CanVisit(RemoteWriteTest(Line("CAN Remote Write Test - Data:  Status: Success!!!"))));
    EXPECT_EQ(run.trace, (Trace{"CANOpen(1) = 1", "CANConfigureMode(1, 0, 250000, 0, 0) = 1",
                                "CANConfigureMessage(1, 1, 48, 0, 30000, 1) = 1", "CANWrite(1, [], 2, null) = 1",
                                "CANClose(1) = 1"}));
}

TEST(CanRemoteWrite, LengthTheBusRefusesFailsTheTransfer) {
    RunResult run = VisitCanMenu("3\n0\n30\n250000\n0\n9\n");
    EXPECT_EQ(run.output, CanVisit(RemoteWriteTest(
                              Line("CAN Remote Write Test failedCAN Remote Write Test - Data:  Status: Failed!!!"))));
    EXPECT_EQ(run.trace.at(3), "CANWrite(1, [], 9, null) = 0");
    EXPECT_EQ(run.trace.back(), "CANClose(1) = 1");
}

TEST(CanRemoteRead, ReceivesThePeersRemoteFrame) {
    RunResult run = VisitCanMenu("4\n0\n125000\n2\n");
    EXPECT_EQ(run.output, CanVisit(RemoteReadTest(ReadLine("CAN Remote Read Test", "26", kZeroBytes, "Success"))));
    EXPECT_EQ(run.trace, (Trace{"CANOpen(1) = 1", "CANConfigureMode(1, 0, 125000, 0, 0) = 1",
                                "CANConfigureMessage(1, 0, 0, 0, 30000, 0) = 1",
                                "CANConfigureFilter(1, 0, 0, 0, 1) = 1", "CANRead(1, ptr, 2, null) = 1",
                                "CANGetMessageParameter(1, ptr, null, null, null, null, null, null) = 1",
                                "CANClose(1) = 1"}));
}

TEST(CanFilterWrite, PassesTheTypedMaskAndLengthAndResetsTheFilter) {
    RunResult run = VisitCanMenu("5\n1\n0x123\n1000000\n1\n0x25\n0x1f0\n8\n");
    EXPECT_EQ(run.output, CanVisit(FilterWriteTest(Line("CAN Filter Write Test - Data:  Status: Success!!!"))));
    EXPECT_EQ(run.trace, (Trace{"CANOpen(1) = 1", "CANConfigureMode(1, 1, 1000000, 0, 0) = 1",
                                "CANConfigureFilter(1, 37, 496, 0, 0) = 1",
                                "CANConfigureMessage(1, 0, 291, 1, 30000, 1) = 1",
                                "CANWrite(1, [00 00 00 00 00 00 00 00], 8, null) = 1", "CANResetFilter(1) = 1",
                                "CANClose(1) = 1"}));
}

TEST(CanFilterWrite, FilterResetFailingAfterAGoodTransferFailsTheTest) {
    RunResult run = VisitCanMenu("5\n0\n25\n500000\n0\n25\n7ff\n1\n", {{"QZHAL_SIM_FAIL", "CANResetFilter"}});
    EXPECT_EQ(run.output, CanVisit(FilterWriteTest(
                              Line("CAN Filter Write Test failedCAN Filter Write Test - Data:  Status: Failed!!!"))));
    EXPECT_EQ(Trace(run.trace.begin() + 4, run.trace.end()),
              (Trace{"CANWrite(1, [00], 1, null) = 1", "CANResetFilter(1) = 0", "CANClose(1) = 1"}));
}

TEST(CanFilterWrite, FailedFilterClosesTheChannelWithoutFailureText) {
    RunResult run = VisitCanMenu("5\n0\n25\n500000\n0\n25\n7ff\n1\n", {{"QZHAL_SIM_FAIL", "CANConfigureFilter"}});
    EXPECT_EQ(run.output, CanVisit(FilterWriteTest(Line("CAN Filter Write Test - Data:  Status: Failed!!!"))));
    EXPECT_EQ(run.trace, (Trace{"CANOpen(1) = 1", "CANConfigureMode(1, 0, 500000, 0, 0) = 1",
                                "CANConfigureFilter(1, 37, 2047, 0, 0) = 0", "CANClose(1) = 1"}));
}

TEST(CanFilterRead, AcceptsThePeersFrameByIdAndMask) {
    RunResult run = VisitCanMenu("6\n0\n500000\n0x25\n0x7FF\n8\n");
    EXPECT_EQ(WithPeerCounterHidden(run.output),
              CanVisit(FilterReadTest(ReadLine("CAN Filter Read Test", "25", kPeerBytes, "Success"))));
    EXPECT_EQ(run.trace, (Trace{"CANOpen(1) = 1", "CANConfigureMode(1, 0, 500000, 0, 0) = 1",
                                "CANConfigureMessage(1, 0, 0, 0, 30000, 1) = 1",
                                "CANConfigureFilter(1, 37, 2047, 0, 0) = 1", "CANRead(1, ptr, 8, null) = 1",
                                "CANResetFilter(1) = 1",
                                "CANGetMessageParameter(1, ptr, null, null, null, null, null, null) = 1",
                                "CANClose(1) = 1"}));
}

TEST(CanFilterRead, FilterResetFailingAfterAGoodReadFailsWithoutAskingTheId) {
    RunResult run = VisitCanMenu("6\n0\n500000\n20\n0x7f0\n8\n", {{"QZHAL_SIM_FAIL", "CANResetFilter"}});
    EXPECT_EQ(WithPeerCounterHidden(run.output),
              CanVisit(FilterReadTest("CAN Filter Read Test failed" +
                                      ReadLine("CAN Filter Read Test", "0", kPeerBytes, "Failed"))));
    EXPECT_EQ(Trace(run.trace.begin() + 3, run.trace.end()),
              (Trace{"CANConfigureFilter(1, 32, 2032, 0, 0) = 1", "CANRead(1, ptr, 8, null) = 1",
                     "CANResetFilter(1) = 0", "CANClose(1) = 1"}));
}

TEST(CanMenu, UnlistedChoicesShowTheMenuAgainWithoutMessage) {
    RunResult run = VisitCanMenu("8\n-1\n99\nabc\n");
    EXPECT_EQ(run.output, CanVisit(CanMenu() + CanMenu() + CanMenu() + CanMenu()));
    EXPECT_TRUE(run.trace.empty());
}

}  // namespace
