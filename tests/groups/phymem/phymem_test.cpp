// Physical memory menu transcripts. Every aligned register of the simulated
// board reads 0 until written, except the read-only board ID register
// 0x10000000 holding 0xab01; channels 1 to 9 reach them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "expected_text.h"
#include "../../../platform/system.h"
#include "phymem_texts.h"
#include "program_run.h"
#include "system_codes.h"

namespace {

const std::string kAsyncPrompts = std::string("Enter Register Address 1 (e.g. 0x0209c700): ") +
                                  "Enter Register Address 2(e.g. 0x0209c700): " +
                                  "Enter Register Address 3(e.g. 0x0209c700): " +
                                  "Enter Register Address 4(e.g. 0x0209c700): ";
const std::string kAsyncStart = TestHeader("Asyscron Write and Read Register Test") + Line("Use Channel 1 to 4") +
                                kClosingLine + kAsyncPrompts;

RunResult RunPhymem(const std::string &script, const std::map<std::string, std::string> &environment = {}) {
    return RunProgram("5\n" + script + "0\n0\n", environment);
}

std::string Framed(const std::string &tests) { return MainMenu() + kPhymemMenu + tests + MainMenu(); }

std::string WriteReturn(const std::string &address, const std::string &value, const std::string &returned,
                        const char *status) {
    return TestHeader("Write and Return Register Test") + kRegisterWritePrompts +
           Line("Memory Write Test Register: 0x" + address + " | Value: 0x" + value + " | Return 0x" + returned +
                " | " + status + "!!!") +
           kClosingLine + kPhymemMenu;
}

// The lines of `text` that begin with `prefix`, taken out of it, sorted.
std::vector<std::string> TakeLines(std::string &text, const std::string &prefix) {
    std::vector<std::string> lines;
    for (size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at)) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            ADD_FAILURE() << "unfinished line: " << text.substr(at);
            break;
        }
        lines.push_back(text.substr(at, end - at));
        text.erase(at, end + 1 - at);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST(PhymemWriteRegister, WritesAndShowsTheAddressWithoutPrefixInTheResult) {
    RunResult run = RunPhymem("1\n0x0209c700\n1\n0x1\n1\n209c700\n9\nffffffff\n");
    EXPECT_EQ(run.output, Framed(WriteRegister("1", "209c700", "1", true) +
                                 WriteRegister("9", "209c700", "ffffffff", false)));
    EXPECT_EQ(run.trace, (std::vector<std::string>{"WritePhysicalAddress(1, 34195200, 32, 1, 1) = 1",
                                                   "WritePhysicalAddress(9, 34195200, 32, 4294967295, 1) = -1"}));
}

TEST(PhymemWriteRegister, AValueWithBitThirtyOneSetFails) {
    RunResult run = RunPhymem("1\n20\n1\n80000000\n");
    EXPECT_EQ(run.output, Framed(WriteRegister("1", "20", "80000000", false)));
    EXPECT_EQ(run.trace,
              (std::vector<std::string>{"WritePhysicalAddress(1, 32, 32, 2147483648, 1) = -2147483648"}));
}

TEST(PhymemWriteRegister, FailsForAnUnreachableRegisterOrALibraryFailure) {
    RunResult run = RunPhymem("1\n22\n1\n5\n1\n20\na\n5\n1\n20\n0\n5\n1\n20\nffffffff\n5\n");
    EXPECT_EQ(run.output, Framed(WriteRegister("1", "22", "5", false) + WriteRegister("10", "20", "5", false) +
                                 WriteRegister("0", "20", "5", false) + WriteRegister("-1", "20", "5", false)));
    EXPECT_EQ(run.trace.back(), "WritePhysicalAddress(-1, 32, 32, 5, 1) = -1");

    RunResult injected = RunPhymem("1\n20\n1\n5\n", {{"QZHAL_SIM_FAIL", "WritePhysicalAddress"}});
    EXPECT_EQ(injected.output, Framed(WriteRegister("1", "20", "5", false)));
}

TEST(PhymemReadRegister, ShowsWhatWasWrittenAndAlwaysSucceeds) {
    RunResult run = RunPhymem("3\n0x0209c700\n1\nc0ffee\n2\n209C700\n7\n2\n10000000\n1\n2\n3\n1\n");
    EXPECT_EQ(run.output, Framed(WriteReturn("209c700", "c0ffee", "c0ffee", "Success") +
                                 ReadRegister("7", "209c700", "c0ffee") + ReadRegister("1", "10000000", "ab01") +
                                 ReadRegister("1", "3", "0")));
    EXPECT_EQ(run.trace, (std::vector<std::string>{"WritePhysicalAddress(1, 34195200, 32, 12648430, 1) = 12648430",
                                                   "ReadPhysicalAddress(7, 34195200, 32) = 12648430",
                                                   "ReadPhysicalAddress(1, 268435456, 32) = 43777",
                                                   "ReadPhysicalAddress(1, 3, 32) = 0"}));

    RunResult injected = RunPhymem("2\n10000000\n1\n", {{"QZHAL_SIM_FAIL", "ReadPhysicalAddress"}});
    EXPECT_EQ(injected.output, Framed(ReadRegister("1", "10000000", "0")));
}

TEST(PhymemWriteReturn, ComparesTheReturnedValueWithTheValueWritten) {
    RunResult run = RunPhymem("3\n0x0209c700\n1\n0x1\n3\n10000000\n1\n5\n3\n0209c700\n1\n80000000\n3\n100\n0\n1\n");
    EXPECT_EQ(run.output, Framed(WriteReturn("209c700", "1", "1", "Success") +
                                 WriteReturn("10000000", "5", "ab01", "Failed") +
                                 WriteReturn("209c700", "80000000", "80000000", "Success") +
                                 WriteReturn("100", "1", "ffffffff", "Failed")));
    EXPECT_EQ(run.trace, (std::vector<std::string>{"WritePhysicalAddress(1, 34195200, 32, 1, 1) = 1",
                                                   "WritePhysicalAddress(1, 268435456, 32, 5, 1) = 43777",
                                                   "WritePhysicalAddress(1, 34195200, 32, 2147483648, 1) = -2147483648",
                                                   "WritePhysicalAddress(0, 256, 32, 1, 1) = -1"}));
}

TEST(PhymemMenu, RefusesUnlistedChoicesWithoutAClosingLine) {
    RunResult run = RunPhymem("5\n-1\nx\n");
    EXPECT_EQ(run.output, Framed(NotValid() + kPhymemMenu + NotValid() + kPhymemMenu + NotValid() + kPhymemMenu));
    EXPECT_TRUE(run.trace.empty());
}

TEST(PhymemAsyncRead, ReadsFourRegistersOnChannelsOneToFour) {
    // Registers 0x100 and 0x104 written first, so that each result tells
    // which address it came from.
    RunResult run = RunPhymem("3\n100\n1\n11\n3\n104\n1\n22\n4\n0x100\n104\n10000000\n0x0100\n");
    std::string output = run.output;
    std::vector<std::string> workerLines = TakeLines(output, "PHYMEM_READ_THREAD: ");
    EXPECT_EQ(workerLines, (std::vector<std::string>{"PHYMEM_READ_THREAD: Channel: 1 | Address: 100",
                                                     "PHYMEM_READ_THREAD: Channel: 2 | Address: 104",
                                                     "PHYMEM_READ_THREAD: Channel: 3 | Address: 10000000",
                                                     "PHYMEM_READ_THREAD: Channel: 4 | Address: 100"}));
    const std::string asyncRead =
        kAsyncStart + Line("Phymem Read Thread Channel Return: 0x11") + Line("Phymem Read Thread Channel Return: 0x22") +
        Line("Phymem Read Thread Channel Return: 0xab01") + Line("Phymem Read Thread Channel Return: 0x11") +
        Line("Memory Write Read Asyncron Test Register 0: 0x100 | Return 0x11 | Success!!!") +
        Line("Memory Write Read Asyncron Test Register 1: 0x104 | Return 0x22 | Success!!!") +
        Line("Memory Write Read Asyncron Test Register 2: 0x10000000 | Return 0xab01 | Success!!!") +
        Line("Memory Write Read Asyncron Test Register 3: 0x100 | Return 0x11 | Success!!!") + kClosingLine + kPhymemMenu;
    EXPECT_EQ(output, Framed(WriteReturn("100", "11", "11", "Success") + WriteReturn("104", "22", "22", "Success") +
                             asyncRead));
    ASSERT_EQ(run.trace.size(), 6u);
    std::vector<std::string> reads(run.trace.begin() + 2, run.trace.end());
    std::sort(reads.begin(), reads.end());
    EXPECT_EQ(reads, (std::vector<std::string>{"ReadPhysicalAddress(1, 256, 32) = 17",
                                               "ReadPhysicalAddress(2, 260, 32) = 34",
                                               "ReadPhysicalAddress(3, 268435456, 32) = 43777",
                                               "ReadPhysicalAddress(4, 256, 32) = 17"}));
}

// The test build of the program, reading four registers. On the failure
// paths the program ends while threads it started may already have finished
// unwaited for, as intended; ThreadSanitizer would report them as leaked.
RunOptions AsyncReadWithFaults(const std::string &failures) {
    RunOptions options;
    options.program = FaultInjectingProgram();
    options.input.push_back({"5\n4\n0\n4\n8\nc\n"});
    options.environment["QZHAL_PLATFORM_FAIL"] = failures;
    const char *tsanOptions = std::getenv("TSAN_OPTIONS");
    options.environment["TSAN_OPTIONS"] = std::string(tsanOptions ? tsanOptions : "") + ":report_thread_leaks=0";
    return options;
}

TEST(PhymemAsyncRead, AReadRecordThatCannotBeAllocatedEndsTheProgramWithCodeTwo) {
    RunOptions options = AsyncReadWithFaults("HeapAlloc@1");
    RunResult first = RunProgram(options);
    EXPECT_EQ(first.exitCode, 2) << first.errors;
    EXPECT_EQ(first.output, MainMenu() + kPhymemMenu + kAsyncStart);
    EXPECT_TRUE(first.trace.empty());

    // The first thread may have run before the second record failed.
    options.environment["QZHAL_PLATFORM_FAIL"] = "HeapAlloc@2";
    RunResult second = RunProgram(options);
    EXPECT_EQ(second.exitCode, 2) << second.errors;
    std::string output = second.output;
    std::vector<std::string> workerLines = TakeLines(output, "PHYMEM_READ_THREAD: ");
    EXPECT_LE(workerLines.size(), 1u);
    EXPECT_EQ(output, MainMenu() + kPhymemMenu + kAsyncStart);
    EXPECT_LE(second.trace.size(), 1u);
}

TEST(PhymemAsyncRead, AThreadThatCannotBeStartedShowsTheErrorBoxAndEndsWithCodeThree) {
    RunOptions options = AsyncReadWithFaults("CreateThread@1");
    RunResult first = RunProgram(options);
    const std::string errorBox = Line("[Error] CreateThread failed with error " + std::to_string(kCodeNoThread) + ": " +
                                      PlatformErrorText(kCodeNoThread) + " [OK]");
    EXPECT_EQ(first.exitCode, 3) << first.errors;
    EXPECT_EQ(first.output, MainMenu() + kPhymemMenu + kAsyncStart + errorBox);
    EXPECT_TRUE(first.trace.empty());

    // Threads started before the failure are neither waited for nor
    // reported on.
    options.environment["QZHAL_PLATFORM_FAIL"] = "CreateThread@3";
    RunResult third = RunProgram(options);
    EXPECT_EQ(third.exitCode, 3) << third.errors;
    std::string output = third.output;
    std::vector<std::string> workerLines = TakeLines(output, "PHYMEM_READ_THREAD: ");
    EXPECT_LE(workerLines.size(), 2u);
    EXPECT_EQ(output, MainMenu() + kPhymemMenu + kAsyncStart + errorBox);
    EXPECT_LE(third.trace.size(), 2u);
}

}  // namespace
