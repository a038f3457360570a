// CAN async read/write transcripts: two workers on channel 1 until Space.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <sstream>

#include "../../../platform/system.h"
#include "can_text.h"
#include "program_run.h"
#include "system_codes.h"

namespace {

using Trace = std::vector<std::string>;

const std::string kAsyncDialogue =
    TestHeader("CAN Async Read/Write Test") + kCanModePrompt + kCanFrequencyPrompt + kCanIdPrompt +
    "Enter CAN Write Data (e.g. abc): " + "Enter CAN Read Data Length (1 ... 8): " +
    "Enter CAN Timeout (e.g. 1000 = 1s (msec)): " + "Enter CAN Write Loop Delay (e.g. 1000 = 1s (msec)): ";

const Trace kConfiguration = {"CANOpen(1) = 1", "CANConfigureMode(1, 0, 500000, 0, 0) = 1",
                              "CANConfigureMessage(1, 0, 37, 0, 1000, 0) = 1",
                              "CANConfigureMessage(1, 0, 37, 0, 1000, 1) = 1",
                              "CANConfigureFilter(1, 0, 0, 0, 0) = 1"};

std::string StatusLines(const char *status) {
    return Line(std::string("CAN Async Read/Write Test - Status: ") + status + "!!!") + kClosingLine;
}

// Main menu item 10, item 7 with ID 0x25 at 500000 bit/s and the given
// answers, then 0 for the main menu and 0 to end.
std::string AsyncScript(const std::string &data, const std::string &length, const std::string &delay) {
    return "10\n7\n0\n500000\n25\n" + data + "\n" + length + "\n1000\n" + delay + "\n";
}

// The async test, ended by a Space once the output holds `awaited` the given
// number of times.
RunResult RunUntilSpace(const std::string &script, const std::string &awaited, int occurrences,
                        const std::map<std::string, std::string> &environment = {}) {
    RunOptions options;
    options.input = {{script}, {" \n0\n0\n", awaited, occurrences}};
    options.environment = environment;
    return RunProgram(options);
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// The worker lines between the last prompt and the status line.
std::vector<std::string> WorkerLines(const std::string &output, const std::string &status) {
    std::string before = MainMenu() + CanMenu() + kAsyncDialogue;
    std::string after = StatusLines(status.c_str()) + CanMenu() + MainMenu();
    if (output.size() < before.size() + after.size()) return {"output too short: " + output};
    EXPECT_EQ(output.substr(0, before.size()), before);
    EXPECT_EQ(output.substr(output.size() - after.size()), after);
    return Lines(output.substr(before.size(), output.size() - before.size() - after.size()));
}

bool IsErrorAfterClose(const std::string &line) {
    static const std::regex closed("CAN (Read|Write) Error: [24]");
    return std::regex_match(line, closed);
}

struct WorkerCounts {
    int writes = 0;
    int reads = 0;
    int echoes = 0;
};

// Checks every worker line: counts rising from 0 with no gap, the written
// frame, frames read from the peer or its echoes, and at most one error per
// worker, from the close that ended it.
WorkerCounts CheckWorkerLines(const std::vector<std::string> &lines) {
    static const std::regex write("CAN Write Count: (\\d+) \\| Length: 2 \\| Data: 0x12,0x30,0x0,0x0,0x0,0x0,0x0,0x0");
    static const std::regex read("CAN Read Count: (\\d+) \\| Length: 8 \\| Data: (0x12,0x30|0x11,0x22),.*");
    static const std::regex peer("0x11,0x22,0x33,0x44,0x55,0x66,0x77,0x[0-9a-f]{1,2}");
    WorkerCounts counts;
    int errors = 0;
    for (const std::string &line : lines) {
        std::smatch match;
        if (std::regex_match(line, match, write)) {
            EXPECT_EQ(std::stoi(match[1]), counts.writes++) << line;
        } else if (std::regex_match(line, match, read)) {
            EXPECT_EQ(std::stoi(match[1]), counts.reads++) << line;
            std::string data = line.substr(line.find("Data: ") + 6);
            if (match[2] == "0x12,0x30") ++counts.echoes;
            else EXPECT_TRUE(std::regex_match(data, peer)) << line;
        } else {
            EXPECT_TRUE(IsErrorAfterClose(line)) << line;
            ++errors;
        }
    }
    EXPECT_LE(errors, 2);
    return counts;
}

TEST(CanAsync, WritesAndReadsUntilSpaceThenClosesAndReportsSuccess) {
    auto start = std::chrono::steady_clock::now();
    RunResult run = RunUntilSpace(AsyncScript("abc", "8", "500"), "CAN Read Count: ", 2);
    auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, "");
    std::vector<std::string> lines = WorkerLines(run.output, "Success");
    auto firstWrite = std::find_if(lines.begin(), lines.end(),
                                   [](const std::string &line) { return line.rfind("CAN Write", 0) == 0; });
    ASSERT_NE(firstWrite, lines.end());
    EXPECT_EQ(*firstWrite, "CAN Write Count: 0 | Length: 2 | Data: 0x12,0x30,0x0,0x0,0x0,0x0,0x0,0x0");
    WorkerCounts counts = CheckWorkerLines(lines);
    EXPECT_GE(counts.writes, 1);
    EXPECT_GE(counts.reads, 2);
    // The test leaves the console a second after the workers have ended.
    EXPECT_GE(elapsed, std::chrono::milliseconds(1000));

    ASSERT_GE(run.trace.size(), kConfiguration.size());
    EXPECT_EQ(Trace(run.trace.begin(), run.trace.begin() + 5), kConfiguration);
    // Trace lines are written as calls return, so a worker's last call,
    // failing because of the close, may show before or after the close.
    int closes = 0, failedReads = 0, failedWrites = 0;
    for (size_t i = kConfiguration.size(); i < run.trace.size(); ++i) {
        const std::string &line = run.trace[i];
        if (line == "CANClose(1) = 1") ++closes;
        else if (line == "CANRead(1, ptr, 8, ptr) = 0") ++failedReads;
        else if (line == "CANWrite(1, [12 30], 2, ptr) = 0") ++failedWrites;
        else EXPECT_TRUE(line == "CANWrite(1, [12 30], 2, ptr) = 1" || line == "CANRead(1, ptr, 8, ptr) = 1") << line;
    }
    EXPECT_EQ(closes, 1);
    EXPECT_LE(failedReads, 1);
    EXPECT_LE(failedWrites, 1);
}

TEST(CanAsync, EndsWhenTheScriptHasMovedOnOrEnded) {
    // Whatever waits instead of a blank answers the menu prompt that follows.
    const std::pair<std::string, std::string> shapes[] = {
        {"0\n0\n", MainMenu()}, {"abc\n0\n0\n", CanMenu() + MainMenu()}, {"", ""}};
    for (const auto &shape : shapes) {
        RunResult run = RunProgram(AsyncScript("abc", "8", "500") + shape.first);
        ASSERT_FALSE(run.timedOut) << shape.first;
        EXPECT_EQ(run.exitCode, 1) << shape.first;
        const std::string before = MainMenu() + CanMenu() + kAsyncDialogue;
        const std::string after = StatusLines("Success") + CanMenu() + shape.second;
        ASSERT_GE(run.output.size(), before.size() + after.size()) << run.output;
        EXPECT_EQ(run.output.substr(0, before.size()), before);
        EXPECT_EQ(run.output.substr(run.output.size() - after.size()), after) << run.output;
        EXPECT_EQ(std::count(run.trace.begin(), run.trace.end(), "CANClose(1) = 1"), 1) << shape.first;
    }
}

TEST(CanAsync, ReaderReceivesTheEchoOfEveryWrittenFrame) {
    // Writes every 20 ms: the peer echoes each of them back to the reader.
    RunResult run = RunUntilSpace(AsyncScript("abc", "8", "20"), "CAN Write Count: 5 ", 1);
    ASSERT_FALSE(run.timedOut);
    WorkerCounts counts = CheckWorkerLines(WorkerLines(run.output, "Success"));
    EXPECT_GE(counts.writes, 6);
    // The last write's echo may still have been on its way at the close.
    EXPECT_GE(counts.echoes, counts.writes - 1);
    EXPECT_LE(counts.echoes, counts.writes);
}

TEST(CanAsync, ReadLengthOutsideOneToEightIsRefusedAfterConfiguring) {
    RunResult run = RunProgram(AsyncScript("abc", "0", "500") + "7\n0\n500000\n25\nabc\n9\n1000\n500\n0\n0\n");
    const std::string refused = kAsyncDialogue + Line("CAN read data size error") + StatusLines("Failed") + CanMenu();
    EXPECT_EQ(run.output, CanVisit(refused + refused));
    Trace once = kConfiguration;
    once.push_back("CANClose(1) = 1");
    Trace twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(run.trace, twice);
}

TEST(CanAsync, FailedOpenOrConfigurationStartsNoThread) {
    RunResult open = RunProgram(AsyncScript("abc", "8", "500") + "0\n0\n", {{"QZHAL_SIM_FAIL", "CANOpen"}});
    EXPECT_EQ(open.output, CanVisit(kAsyncDialogue + StatusLines("Failed") + CanMenu()));
    EXPECT_EQ(open.trace, Trace{"CANOpen(1) = 0"});

    RunResult configure = RunProgram(AsyncScript("abc", "8", "500") + "0\n0\n", {{"QZHAL_SIM_FAIL", "CANConfigureMessage@2"}});
    EXPECT_EQ(configure.output, CanVisit(kAsyncDialogue + StatusLines("Failed") + CanMenu()));
    EXPECT_EQ(configure.trace, (Trace{kConfiguration[0], kConfiguration[1], kConfiguration[2],
                                      "CANConfigureMessage(1, 0, 37, 0, 1000, 1) = 0", "CANClose(1) = 1"}));
}

TEST(CanAsync, FailingWritesAreReportedLineByLineAndTheTestStillSucceeds) {
    RunResult run = RunUntilSpace(AsyncScript("abc", "8", "20"), "CAN Write Error: 2", 2,
                                  {{"QZHAL_SIM_FAIL", "CANWrite"}});
    ASSERT_FALSE(run.timedOut);
    std::vector<std::string> lines = WorkerLines(run.output, "Success");
    int writeErrors = 0;
    for (const std::string &line : lines) {
        EXPECT_EQ(line.find("CAN Write Count"), std::string::npos) << line;
        if (line == "CAN Write Error: 2") ++writeErrors;
    }
    EXPECT_GE(writeErrors, 2);
}

TEST(CanAsync, SpaceEndsTheTestDuringALongWriteDelay) {
    RunOptions options;
    options.input = {{AsyncScript("abc", "8", "600000")}, {" \n0\n0\n", "CAN Write Count: 0"}};
    RunResult run = RunProgram(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1);
    WorkerCounts counts = CheckWorkerLines(WorkerLines(run.output, "Success"));
    EXPECT_EQ(counts.writes, 1);
}

TEST(CanAsync, RecordThatCannotBeAllocatedEndsTheProcessWithCodeTwo) {
    for (const char *failure : {"HeapAlloc@1", "HeapAlloc@2"}) {
        RunOptions options;
        options.input = {{AsyncScript("abc", "8", "500")}};
        options.program = FaultInjectingProgram();
        options.environment = {{"QZHAL_PLATFORM_FAIL", failure}};
        RunResult run = RunProgram(options);
        EXPECT_EQ(run.exitCode, 2) << failure;
        EXPECT_EQ(run.output, MainMenu() + CanMenu() + kAsyncDialogue) << failure;
        EXPECT_TRUE(run.trace.empty()) << failure;
    }
}

TEST(CanAsync, ThreadThatCannotBeStartedShowsTheErrorBoxAndEndsWithCodeThree) {
    const std::string box = "[Error] CreateCANThread failed with error " + std::to_string(kCodeNoThread) + ": " +
                            PlatformErrorText(kCodeNoThread) + " [OK]\n";
    for (const char *failure : {"CreateThread@1", "CreateThread@2"}) {
        RunOptions options;
        options.input = {{AsyncScript("abc", "8", "500")}};
        options.program = FaultInjectingProgram();
        options.environment = {{"QZHAL_PLATFORM_FAIL", failure}};
        RunResult run = RunProgram(options);
        EXPECT_EQ(run.exitCode, 3) << failure;
        EXPECT_NE(run.output.find(box), std::string::npos) << failure;
        EXPECT_EQ(run.output.find("Status:"), std::string::npos) << failure;
        ASSERT_GE(run.trace.size(), kConfiguration.size()) << failure;
        EXPECT_EQ(Trace(run.trace.begin(), run.trace.begin() + 5), kConfiguration) << failure;
    }
}

}  // namespace
