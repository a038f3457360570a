// The CAN menu: its dialogue and the result lines of every test.
#include <algorithm>
#include <cstring>
#include <string>

#include "../../shell/dialogue.h"
#include "can_tests.h"
#include "can_texts.h"

namespace {


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
    PrintTestHeader(kCanWriteTitle);
    values.mode = ReadDecimal(kCanModePrompt);
    values.id = ReadHex(kCanIdPrompt);
    values.bitRate = ReadDecimalUnsigned(kCanFrequencyPrompt);
    values.prio = ReadDecimal(kCanPrioPrompt);
    ReadWord(kCanDataPrompt, values.text, sizeof values.text);
    int result = CANWriteTest(values.mode, values.bitRate, values.id, PrioByte(values.prio), values.text);
    PrintDataStatusLine("CAN Write Test - Data: ", values.text, result == 1);
    PrintClosingLine();
}

void CanTests::RunReadTest(MenuValues &values) {
    PrintTestHeader(kCanReadTitle);
    values.mode = ReadDecimal(kCanModePrompt);
    values.bitRate = ReadDecimalUnsigned(kCanFrequencyPrompt);
    values.length = ReadDecimal(kCanLengthPrompt);
    int result = CANReadTest(values.mode, values.bitRate, &values.id, values.length, values.receive);
    PrintReadLines("CAN Read Test - ID: 0x", values.id, values.length, values.receive, result == 1);
    PrintClosingLine();
}

void CanTests::RunRemoteWriteTest(MenuValues &values) {
    PrintTestHeader(kCanRemoteWriteTitle);
    values.mode = ReadDecimal(kCanModePrompt);
    values.id = ReadHex(kCanIdPrompt);
    values.bitRate = ReadDecimalUnsigned(kCanFrequencyPrompt);
    values.prio = ReadDecimal(kCanPrioPrompt);
    values.length = ReadDecimal(kCanLengthPrompt);
    int result = CANRemoteWriteTest(values.mode, values.bitRate, values.id, PrioByte(values.prio), values.length,
                                    values.text);
    PrintDataStatusLine("CAN Remote Write Test - Data: ", values.text, result == 1);
    PrintClosingLine();
}

void CanTests::RunRemoteReadTest(MenuValues &values) {
    PrintTestHeader(kCanRemoteReadTitle);
    values.mode = ReadDecimal(kCanModePrompt);
    values.bitRate = ReadDecimalUnsigned(kCanFrequencyPrompt);
    values.length = ReadDecimal(kCanLengthPrompt);
    int result = CANRemoteReadTest(values.mode, values.bitRate, &values.id, values.length, values.receive);
    PrintReadLines("CAN Remote Read Test - ID: 0x", values.id, values.length, values.receive, result == 1);
    PrintClosingLine();
}

void CanTests::RunFilterWriteTest(MenuValues &values) {
    PrintTestHeader(kCanFilterWriteTitle);
    values.mode = ReadDecimal(kCanModePrompt);
    values.id = ReadHex(kCanIdPrompt);
    values.bitRate = ReadDecimalUnsigned(kCanFrequencyPrompt);
    values.prio = ReadDecimal(kCanPrioPrompt);
    values.filter = ReadHex(kCanFilterPrompt);
    values.mask = ReadHex(kCanMaskPrompt);
    values.length = ReadDecimal(kCanLengthPrompt);
    int result = CANFilterWriteTest(values.mode, values.bitRate, values.id, PrioByte(values.prio), values.filter,
                                    values.mask, values.length, values.text);
    PrintDataStatusLine("CAN Filter Write Test - Data: ", values.text, result == 1);
    PrintClosingLine();
}

void CanTests::RunFilterReadTest(MenuValues &values) {
    PrintTestHeader(kCanFilterReadTitle);
    values.mode = ReadDecimal(kCanModePrompt);
    values.bitRate = ReadDecimalUnsigned(kCanFrequencyPrompt);
    values.filter = ReadHex(kCanFilterPrompt);
    values.mask = ReadHex(kCanMaskPrompt);
    values.length = ReadDecimal(kCanLengthPrompt);
    int result = CANFilterReadTest(values.mode, values.bitRate, &values.id, values.filter, values.mask,
                                   values.length, values.receive);
    PrintReadLines("CAN Filter Read Test - ID: 0x", values.id, values.length, values.receive, result == 1);
    PrintClosingLine();
}

void CanTests::RunAsyncReadWriteTest(MenuValues &values) {
    PrintTestHeader(kCanAsyncTitle);
    values.mode = ReadDecimal(kCanModePrompt);
    values.bitRate = ReadDecimalUnsigned(kCanFrequencyPrompt);
    values.id = ReadHex(kCanIdPrompt);
    ReadWord(kCanAsyncDataPrompt, values.text, sizeof values.text);
    values.length = ReadDecimal(kCanAsyncLengthPrompt);
    int32_t timeout = ReadDecimal(kCanAsyncTimeoutPrompt);
    // A negative delay wraps round to a very long one, as Sleep takes it; the
    // writer still stops as soon as Space is pressed.
    uint32_t delay = static_cast<uint32_t>(ReadDecimal(kCanAsyncDelayPrompt));
    int result = CANAsyncReadWriteTest(values.mode, values.bitRate, values.id, values.length, values.text, timeout,
                                       delay);
    PrintLine(std::string("CAN Async Read/Write Test - Status: ") + StatusWord(result == 1) + "!!!");
    PrintClosingLine();
}
