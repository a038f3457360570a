// The CAN menu: its dialogue and the result lines of every test.
#include <algorithm>
#include <cstring>
#include <string>

#include "../../shell/dialogue.h"
#include "can_tests.h"

namespace {

const char kModePrompt[] = "Enter CAN Mode (CAN Mode: 0 = Standard, 1 = Extended ): ";
const char kIdPrompt[] = "Enter CAN ID (CAN ID: 11bit -> max 0x1FF, 29bit -> max 0xFFFFFF ): ";
const char kFrequencyPrompt[] = "Enter CAN Frequency (20000 ... 1000000 (Bit/s)): ";
const char kPrioPrompt[] = "Enter CAN Message PRIO (0 ... 255): ";
const char kDataPrompt[] = "Enter CAN Data (e.g. abc): ";
const char kLengthPrompt[] = "Enter CAN Data Length (1 ... 8): ";
const char kFilterPrompt[] = "Enter CAN Message Filter (e.g. 0x25): ";
const char kMaskPrompt[] = "Enter CAN Message Filter ID Mask (e.g. 0x1FF): ";
const char kAsyncDataPrompt[] = "Enter CAN Write Data (e.g. abc): ";
const char kAsyncLengthPrompt[] = "Enter CAN Read Data Length (1 ... 8): ";
const char kAsyncTimeoutPrompt[] = "Enter CAN Timeout (e.g. 1000 = 1s (msec)): ";
const char kAsyncDelayPrompt[] = "Enter CAN Write Loop Delay (e.g. 1000 = 1s (msec)): ";

const int32_t kBytesPerReadLine = 8;

// Only the low eight bits of the typed PRIO reach the library.
uint8_t PrioByte(int32_t prio) { return static_cast<uint8_t>(prio & 0xFF); }

// One line per eight bytes of the data length, each showing all eight bytes
// of its part of the receive buffer, the ID and the status.
void PrintReadLines(const char *lead, int32_t id, int32_t length, const uint8_t *buffer, bool success) {
    int32_t shown = std::min(length, static_cast<int32_t>(kCanReceiveBufferSize));
    for (int32_t first = 0; first < shown; first += kBytesPerReadLine) {
        std::string line = lead + HexText(static_cast<uint32_t>(id)) + " - Data: 0x" + HexText(buffer[first]);
        for (int32_t k = 1; k < kBytesPerReadLine; ++k) line += " 0x" + HexText(buffer[first + k]);
        PrintLine(line + " Status: " + StatusWord(success) + "!!!");
    }
}

}  // namespace

// What the operator typed during one visit of the menu. The numbers carry
// over from test to test; the buffers are cleared before every menu display.
struct CanTests::MenuValues {
    int32_t mode;
    int32_t id;
    uint32_t bitRate;
    int32_t prio;
    int32_t filter;
    int32_t mask;
    int32_t length;
    char text[kCanTextBufferSize];
    uint8_t receive[kCanReceiveBufferSize];
};

void CanTests::CANTestMenu() {
    MenuValues values = {};
    static const char *const kMenuItems[] = {"Write Test", "Read Test", "Remote Write Test",
                                             "Remote Read Test", "Filter Write Test", "Filter Read Test",
                                             "Async Read/Write Test"};
    for (;;) {
        std::memset(values.text, 0, sizeof values.text);
        std::memset(values.receive, 0, sizeof values.receive);
        PrintSubMenu("Select CAN Test!", kMenuItems);
        switch (ReadMenuChoice()) {
        case 0: return;
        case 1: RunWriteTest(values); break;
        case 2: RunReadTest(values); break;
        case 3: RunRemoteWriteTest(values); break;
        case 4: RunRemoteReadTest(values); break;
        case 5: RunFilterWriteTest(values); break;
        case 6: RunFilterReadTest(values); break;
        case 7: RunAsyncReadWriteTest(values); break;
        default: break;  // this menu shows itself again without a message
        }
    }
}

void CanTests::RunWriteTest(MenuValues &values) {
    PrintTestHeader("CAN Write Test");
    values.mode = ReadDecimal(kModePrompt);
    values.id = ReadHex(kIdPrompt);
    values.bitRate = ReadDecimalUnsigned(kFrequencyPrompt);
    values.prio = ReadDecimal(kPrioPrompt);
    ReadWord(kDataPrompt, values.text, sizeof values.text);
    int result = CANWriteTest(values.mode, values.bitRate, values.id, PrioByte(values.prio), values.text);
    PrintDataStatusLine("CAN Write Test - Data: ", values.text, result == 1);
    PrintClosingLine();
}

void CanTests::RunReadTest(MenuValues &values) {
    PrintTestHeader("CAN Read Test");
    values.mode = ReadDecimal(kModePrompt);
    values.bitRate = ReadDecimalUnsigned(kFrequencyPrompt);
    values.length = ReadDecimal(kLengthPrompt);
    int result = CANReadTest(values.mode, values.bitRate, &values.id, values.length, values.receive);
    PrintReadLines("CAN Read Test - ID: 0x", values.id, values.length, values.receive, result == 1);
    PrintClosingLine();
}

void CanTests::RunRemoteWriteTest(MenuValues &values) {
    PrintTestHeader("CAN Remote Write Test");
    values.mode = ReadDecimal(kModePrompt);
    values.id = ReadHex(kIdPrompt);
    values.bitRate = ReadDecimalUnsigned(kFrequencyPrompt);
    values.prio = ReadDecimal(kPrioPrompt);
    values.length = ReadDecimal(kLengthPrompt);
    int result = CANRemoteWriteTest(values.mode, values.bitRate, values.id, PrioByte(values.prio), values.length,
                                    values.text);
    PrintDataStatusLine("CAN Remote Write Test - Data: ", values.text, result == 1);
    PrintClosingLine();
}

void CanTests::RunRemoteReadTest(MenuValues &values) {
    PrintTestHeader("CAN Remote Read Test");
    values.mode = ReadDecimal(kModePrompt);
    values.bitRate = ReadDecimalUnsigned(kFrequencyPrompt);
    values.length = ReadDecimal(kLengthPrompt);
    int result = CANRemoteReadTest(values.mode, values.bitRate, &values.id, values.length, values.receive);
    PrintReadLines("CAN Remote Read Test - ID: 0x", values.id, values.length, values.receive, result == 1);
    PrintClosingLine();
}

void CanTests::RunFilterWriteTest(MenuValues &values) {
    PrintTestHeader("CAN Filter Write Test");
    values.mode = ReadDecimal(kModePrompt);
    values.id = ReadHex(kIdPrompt);
    values.bitRate = ReadDecimalUnsigned(kFrequencyPrompt);
    values.prio = ReadDecimal(kPrioPrompt);
    values.filter = ReadHex(kFilterPrompt);
    values.mask = ReadHex(kMaskPrompt);
    values.length = ReadDecimal(kLengthPrompt);
    int result = CANFilterWriteTest(values.mode, values.bitRate, values.id, PrioByte(values.prio), values.filter,
                                    values.mask, values.length, values.text);
    PrintDataStatusLine("CAN Filter Write Test - Data: ", values.text, result == 1);
    PrintClosingLine();
}

void CanTests::RunFilterReadTest(MenuValues &values) {
    PrintTestHeader("CAN Filter Read Test");
    values.mode = ReadDecimal(kModePrompt);
    values.bitRate = ReadDecimalUnsigned(kFrequencyPrompt);
    values.filter = ReadHex(kFilterPrompt);
    values.mask = ReadHex(kMaskPrompt);
    values.length = ReadDecimal(kLengthPrompt);
    int result = CANFilterReadTest(values.mode, values.bitRate, &values.id, values.filter, values.mask,
                                   values.length, values.receive);
    PrintReadLines("CAN Filter Read Test - ID: 0x", values.id, values.length, values.receive, result == 1);
    PrintClosingLine();
}

void CanTests::RunAsyncReadWriteTest(MenuValues &values) {
    PrintTestHeader("CAN Async Read/Write Test");
    values.mode = ReadDecimal(kModePrompt);
    values.bitRate = ReadDecimalUnsigned(kFrequencyPrompt);
    values.id = ReadHex(kIdPrompt);
    ReadWord(kAsyncDataPrompt, values.text, sizeof values.text);
    values.length = ReadDecimal(kAsyncLengthPrompt);
    int32_t timeout = ReadDecimal(kAsyncTimeoutPrompt);
    // A negative delay wraps round to a very long one, as Sleep takes it; the
    // writer still stops as soon as Space is pressed.
    uint32_t delay = static_cast<uint32_t>(ReadDecimal(kAsyncDelayPrompt));
    int result = CANAsyncReadWriteTest(values.mode, values.bitRate, values.id, values.length, values.text, timeout,
                                       delay);
    PrintLine(std::string("CAN Async Read/Write Test - Status: ") + StatusWord(result == 1) + "!!!");
    PrintClosingLine();
}
