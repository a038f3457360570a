// Devices that go away while a test runs and come back after: the test in
// progress fails and its call's trace line says why, the program is back at
// its menu, and the same test passes again in the same run of the program
// once the device is back. These run in a boot of the test machine of their
// own (suite DeviceGone), since they leave the machine changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <thread>
#include <unistd.h>

#include "can_text.h"
#include "gpio_texts.h"
#include "i2c_texts.h"
#include "kernel_side.h"
#include "program_run.h"
#include "spi_texts.h"
#include "uart_texts.h"

namespace {

using Trace = std::vector<std::string>;

const std::string kZeroBytes = "0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0";
const std::vector<uint8_t> kPeerBytes = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
const std::string kPeerBytesText = "0x11 0x22 0x33 0x44 0x55 0x66 0x77 0x88";

// The program ended as after the script's last 0: not stopped for taking
// too long, not ended by a crash, and no sanitizer report (UndefinedBehavior
// Sanitizer goes on after one, so only its output tells).
::testing::AssertionResult EndedNormally(const RunResult &run) {
    if (run.timedOut) return ::testing::AssertionFailure() << "hung; output so far:\n" << run.output;
    if (run.exitCode != 1) return ::testing::AssertionFailure() << "exit code " << run.exitCode << "\n" << run.errors;
    for (const char *report : {"Sanitizer", "runtime error:"})
        if (run.errors.find(report) != std::string::npos)
            return ::testing::AssertionFailure() << run.errors;
    return ::testing::AssertionSuccess();
}

// Whether `line` is in the trace; the whole trace when it is not.
::testing::AssertionResult Traced(const RunResult &run, const std::string &line) {
    if (std::find(run.trace.begin(), run.trace.end(), line) != run.trace.end())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not in the trace: " << ::testing::PrintToString(run.trace);
}

// Sends the other node's frame from a socket opened now: one opened before
// vcan0 went down would still hold the error of that.
void SendPeerFrame(canid_t id) { CanPeer().Send(id, kPeerBytes); }

std::string CanReadLine(const std::string &lead, const std::string &id, const std::string &bytes,
                        const char *status) {
    return Line(lead + " - ID: 0x" + id + " - Data: " + bytes + " Status: " + status + "!!!");
}

// A single-frame read test whose read is waiting when vcan0 goes down: it
// fails at once rather than after its 30 s. The same test again with vcan0
// up reads the other node's frame. `filter` and `mask` are the filter the
// test sets (in the kernel's terms), `lead` its result line's start.
struct CanReadCase {
    std::string script, lead;
    canid_t filter, mask;
    Trace calls;        // the calls of one test up to the read
    Trace afterRead;    // after a read that worked, up to the close
};

void ExpectReadFailsWhileDownAndPassesWhenUp(const CanReadCase &test) {
    // The socket has its filter from the open on, and setting the mode
    // brings a down interface up: vcan0 goes down once the read waits.
    auto downWhileReading = InDialogue([&] {
        ASSERT_TRUE(WaitForCanFilter(test.filter, test.mask, 5000));
        ASSERT_TRUE(WaitForProgramBlockedInPoll(5000));
        SetCanLink(false);
    });
    auto upAndSend = InDialogue([&] {
        ASSERT_TRUE(WaitForCanFilter(test.filter, test.mask, 5000));
        SendPeerFrame(0x125);
    });
    RunOptions options;
    options.input = {{"10\n" + test.script},
                     {"", kCanLengthPrompt, 1, 0, downWhileReading},
                     {test.script, test.lead + " failed", 1, 0, InDialogue([] { SetCanLink(true); })},
                     {"0\n0\n", kCanLengthPrompt, 2, 0, upAndSend}};
    options.timeoutMs = 15000;
    RunResult run = RunProgram(options);
    SetCanLink(true);
    ASSERT_TRUE(EndedNormally(run));
    const std::string failed = test.lead + " failed" + CanReadLine(test.lead, "0", kZeroBytes, "Failed");
    const std::string passed = CanReadLine(test.lead, "125", kPeerBytesText, "Success");
    ASSERT_NE(run.output.find(failed + kClosingLine + CanMenu()), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(passed + kClosingLine + CanMenu() + MainMenu(), run.output.find(failed)),
              std::string::npos)
        << run.output;
    Trace expected = test.calls;
    expected.push_back("CANRead(1, ptr, 8, null) = 0 # cannot receive on vcan0 (Network is down)");
    expected.push_back("CANClose(1) = 1");
    expected.insert(expected.end(), test.calls.begin(), test.calls.end());
    expected.push_back("CANRead(1, ptr, 8, null) = 1");
    expected.insert(expected.end(), test.afterRead.begin(), test.afterRead.end());
    expected.push_back("CANClose(1) = 1");
    EXPECT_EQ(run.trace, expected);
}

TEST(DeviceGone, CanInterfaceDownDuringARead) {
    ExpectReadFailsWhileDownAndPassesWhenUp(
        {"2\n0\n500000\n8\n", "CAN Read Test", 0, CAN_RTR_FLAG,
         {"CANOpen(1) = 1", "CANConfigureMode(1, 0, 500000, 0, 0) = 1",
          "CANConfigureMessage(1, 0, 0, 0, 30000, 0) = 1", "CANConfigureFilter(1, 0, 0, 0, 0) = 1"},
         {"CANGetMessageParameter(1, ptr, null, null, null, null, null, null) = 1"}});
}

TEST(DeviceGone, CanInterfaceDownDuringAFilterRead) {
    ExpectReadFailsWhileDownAndPassesWhenUp(
        {"6\n0\n500000\n0x120\n0x7f0\n8\n", "CAN Filter Read Test", 0x120, 0x7f0 | CAN_RTR_FLAG,
         {"CANOpen(1) = 1", "CANConfigureMode(1, 0, 500000, 0, 0) = 1",
          "CANConfigureMessage(1, 0, 0, 0, 30000, 1) = 1", "CANConfigureFilter(1, 288, 2032, 0, 0) = 1"},
         {"CANResetFilter(1) = 1", "CANGetMessageParameter(1, ptr, null, null, null, null, null, null) = 1"}});
}

TEST(DeviceGone, CanInterfaceDownDuringTheAsyncTest) {
    // The reader waits up to 30 s per frame, the writer sends every 500 ms,
    // so vcan0 is down before its second frame. While it is down both fail
    // and say so; once it is up the writer's next frame goes out and the
    // reader takes the other node's frame, in the same test, which then
    // ends with Space as usual.
    RunOptions options;
    options.input = {{"10\n7\n0\n500000\n25\nabc\n8\n30000\n500\n"},
                     {"", "CAN Write Count: 0 ", 1, 0, InDialogue([] { SetCanLink(false); })},
                     {"", "CAN Read Error: 1\n"},
                     {"", "CAN Write Error: 1\n", 1, 0, InDialogue([] {
                          SetCanLink(true);
                          SendPeerFrame(0x125);
                      })},
                     {"", "CAN Read Count: "},
                     {" \n0\n0\n", "CAN Write Count: ", 2}};
    options.timeoutMs = 15000;
    RunResult run = RunProgram(options);
    SetCanLink(true);
    ASSERT_TRUE(EndedNormally(run));
    EXPECT_NE(run.output.find("| Length: 8 | Data: 0x11,0x22,0x33,0x44,0x55,0x66,0x77,0x88\n"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find(Line("CAN Async Read/Write Test - Status: Success!!!") + kClosingLine + CanMenu() +
                              MainMenu()),
              std::string::npos)
        << run.output;
    EXPECT_TRUE(Traced(run, "CANRead(1, ptr, 8, ptr) = 0 # cannot receive on vcan0 (Network is down)"));
    EXPECT_TRUE(Traced(run, "CANWrite(1, [12 30], 2, ptr) = 0 # cannot send on vcan0 (Network is down)"));
    EXPECT_TRUE(Traced(run, "CANRead(1, ptr, 8, ptr) = 1"));
    EXPECT_GE(std::count(run.trace.begin(), run.trace.end(), "CANWrite(1, [12 30], 2, ptr) = 1"), 2);
    EXPECT_TRUE(Traced(run, "CANClose(1) = 1"));
}

const std::string kSerialPeer = "/dev/ttyV1";  // the serial pair's other end

std::string ContinuousRead(const std::string &dataLines) {
    return TestHeader("UART Continious Read Test") + kUartSettingsPrompts + Line("Press Space for Break Test") +
           dataLines + ReadStatus("", "Success") + UartMenu();
}

TEST(DeviceGone, SerialPeerClosedAndPortGoneDuringAContinuousRead) {
    // The peer sends, closes its end (nothing comes, as when a cable is
    // pulled), opens it again and sends; then the relay behind the port ends,
    // which hangs the port up and removes it, as when a USB serial adapter is
    // unplugged. The loop goes on over the failed reads until Space; a read
    // test then cannot open the port. Once the relay is back, the continuous
    // read gets the peer's text again.
    std::unique_ptr<SerialEnd> peer(new SerialEnd(kSerialPeer));
    const char *const settings = "1 0 0 0 8 115200\n";
    RunOptions options;
    options.input = {
        {std::string("9\n3\n") + settings},
        {"", "Press Space for Break Test", 1, 0, InDialogue([&] { peer->Send("one"); })},
        {"", "Data: one\n", 1, 0, InDialogue([&] { peer.reset(); })},
        // Long enough for a read or two while nobody is on the other end.
        {"", "", 1, 800, InDialogue([&] {
             peer.reset(new SerialEnd(kSerialPeer));
             peer->Send("two");
         })},
        {"", "Data: two\n", 1, 0, InDialogue([&] {
             peer.reset();
             StopSerialPair();
         })},
        // A read or more on the hung-up port before the Space: the loop
        // pauses 250 ms between reads.
        {std::string(" \n2\n") + settings + "5\n", "", 1, 300},
        {std::string("3\n") + settings, "UART Read Test failed", 1, 0, InDialogue([&] {
             StartSerialPair();
             peer.reset(new SerialEnd(kSerialPeer));
         })},
        {"", "Press Space for Break Test", 2, 0, InDialogue([&] { peer->Send("three"); })},
        {" \n0\n0\n", "Data: three\n"}};
    options.timeoutMs = 15000;
    RunResult run = RunProgram(options);
    ASSERT_TRUE(EndedNormally(run));
    EXPECT_EQ(run.output, MainMenu() + UartMenu() + ContinuousRead(Line("Data: one") + Line("Data: two")) +
                              ReadTest("UART Read Test failed" + ReadStatus("", "Failed")) +
                              ContinuousRead(Line("Data: three")) + MainMenu());
    EXPECT_TRUE(Traced(run, "UARTRead(1, 24, ptr) = 0 # UART port 1 hung up: its device is gone"));
    EXPECT_TRUE(Traced(run, "UARTOpen(1, 0, 115200) = 0 # cannot open /dev/ttyV0 (No such file or directory)"));
    EXPECT_EQ(std::count(run.trace.begin(), run.trace.end(), "UARTClose(1) = 1"), 2);
}

TEST(DeviceGone, SpidevUnboundDuringAnExchangeTest) {
    // The loopback's spidev is unbound while the operator types the data of
    // the run's first test: the test cannot open it and fails, and the board
    // map, read at that moment, reports the device absent. Bound again, the
    // same test passes.
    const std::string script = "1\n2\n0\n12\nabc\n";
    RunOptions options;
    options.input = {{"8\n1\n2\n0\n12\n"},
                     {"abc\n", DataPrompts(1), 1, 0, InDialogue([] {
                          ASSERT_TRUE(UnbindDriver("spi", "spidev", "spi0.0", 2000));
                      })},
                     {script + "0\n0\n", "SPI Write/Read Test is Failed", 1, 0,
                      InDialogue([] { BindDriver("spi", "spidev", "spi0.0"); })}};
    RunResult run = RunProgram(options);
    ASSERT_TRUE(EndedNormally(run));
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + WriteReadTest(1, "Failed", {"0"}) +
                              WriteReadTest(1, "Success", {"abc"}) + MainMenu());
    const std::string absent = "board map " + kBoardMap + " line 78: no device /dev/spidev0.0";
    EXPECT_EQ(run.trace, Concat({{"# " + absent, "SPIOpen(1) = 0 # " + absent},
                                 Session(1, 0, {"SPIExchange(1, 12, [00000abc], ptr) = 1"})}));
}

TEST(DeviceGone, I2cAdapterDriverUnboundBetweenAWriteAndARead) {
    // Bus 0's controller driver is unbound after the write: the kernel
    // removes the adapter only once no one holds /dev/i2c-0, so a program
    // that kept it open would stall the unbind. The read then fails; with
    // the driver bound again it reads the byte the EEPROM kept.
    const std::string device = "vm-i2c-eeprom.0";
    RunOptions options;
    options.input = {{"4\n1\n0\n0\n50\n10\n5a\n"},
                     {"2\n0\n0\n50\n10\n", "I2C Write Test from 50 is Success", 1, 0, InDialogue([&] {
                          ASSERT_TRUE(UnbindDriver("platform", "vm-i2c-eeprom", device, 2000))
                              << "the unbind waited for the program";
                      })},
                     {"2\n0\n0\n50\n10\n0\n0\n", "is Failed", 1, 0,
                      InDialogue([&] { BindDriver("platform", "vm-i2c-eeprom", device); })}};
    RunResult run = RunProgram(options);
    ASSERT_TRUE(EndedNormally(run));
    EXPECT_EQ(run.output, I2cVisit(WriteTest("50", "Success") + ReadTest("50", "0", "Failed") +
                                   ReadTest("50", "5a", "Success")));
    EXPECT_EQ(run.trace, (Trace{"I2CWrite(0, 0, 80, 16, 90) = 1",
                                "I2CRead(0, 0, 80, 16, ptr) = 0 # cannot open /dev/i2c-0 (No such file or directory)",
                                "I2CRead(0, 0, 80, 16, ptr) = 1"}));
}

TEST(DeviceGone, GpioChipRemovedWhileAnInterruptTestWaits) {
    // Button TA2 (GPIO 2, gpio-sim offset 1) rests high. While the test
    // waits for its falling edge, the chip goes away: no interrupt comes,
    // the test fails, and ending the interrupt says why. The chip comes back
    // (under another number, since the program still holds the old one):
    // the same test takes the edge again. Kernel 6.1 tells no one holding
    // the line that its chip went, and gpio-sim frees the line's interrupt
    // while it is still requested, which the kernel reports with a warning
    // (remove_proc_entry) that the test machine's runner prints.
    SetPull(1, true);
    auto removeWhileWaiting = InDialogue([] {
        ASSERT_TRUE(WaitForGpioInterrupt(10000));
        // The interrupt is in the kernel before GPIOSetInterrupt has
        // returned; the program then waits 3 s for it.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        SetGpioChipLive(false);
    });
    auto pressWhenWatched = InDialogue([] {
        ASSERT_TRUE(WaitForGpioInterrupt(10000));
        SetPull(1, false);
    });
    RunOptions options;
    options.input = {{"3\n5\n2\n3\n"},
                     {"", kGpioTypePrompt, 1, 0, removeWhileWaiting},
                     {"5\n2\n3\n", "GPIO Pin 2 is Failed", 1, 0, InDialogue([] {
                          SetGpioChipLive(true);
                          SetPull(1, true);
                      })},
                     {"", kGpioTypePrompt, 2, 0, pressWhenWatched},
                     {"n\n0\n0\n", Box(1)}};
    RunResult run = RunProgram(options);
    ASSERT_TRUE(EndedNormally(run)) << ::testing::PrintToString(run.trace);
    EXPECT_EQ(run.output, MainMenu() + GpioMenu() +
                              InterruptTest(Line("No Interrupt Event within 3 s") +
                                            Line("Interrupttest on Button TA2 is Failed!!!") +
                                            Line("GPIO Pin 2 is Failed!!!")) +
                              InterruptTest(Box(1) + Line("Interrupttest on Button TA2 is Success!!!") +
                                            Line("GPIO Pin 2 is Success!!!")) +
                              MainMenu());
    EXPECT_TRUE(Traced(run, "GPIOClearInterrupt(2) = 0 # cannot request GPIO 2 (No such device)"));
    Trace again = InterruptCalls(2, 5, 3, 1);
    ASSERT_GE(run.trace.size(), again.size());
    EXPECT_EQ(Trace(run.trace.end() - static_cast<std::ptrdiff_t>(again.size()), run.trace.end()), again)
        << ::testing::PrintToString(run.trace);
}

}  // namespace
