#include <string>

#include "../../shell/dialogue.h"
#include "uart_tests.h"
#include "uart_texts.h"

namespace {

// The write buffer holds a word of up to 99 characters; the read buffer the
// largest count the prompt offers and the NUL the library adds.
const size_t kWriteBufferSize = 100;
const int32_t kMaxReadCount = 100;
const size_t kReadBufferSize = kMaxReadCount + 1;

}  // namespace

struct UartTests::PortSettings {
    int32_t device;
    int32_t flow;
    int32_t parity;
    int32_t stopBits;
    int32_t byteSize;
    int32_t frequency;
};

void UartTests::UARTTestMenu() {
    char writeBuffer[kWriteBufferSize] = {};
    // Kept for the whole visit: the continuous read shows what the last read
    // test left in it. Empty until a read test fills it.
    char readBuffer[kReadBufferSize] = {};
    static const char *const kMenuItems[] = {"Write Test", "Read Test", "Continious Read Test"};
    for (;;) {
        PrintSubMenu("Select UART Test!", kMenuItems);
        switch (ReadMenuChoice()) {
        case 0:
            return;
        case 1:
            RunWriteTest(writeBuffer, sizeof writeBuffer);
            break;
        case 2:
            RunReadTest(readBuffer);
            break;
        case 3:
            RunContinuousReadTest(readBuffer);
            break;
        default:
            break;
        }
    }
}

UartTests::PortSettings UartTests::ReadPortSettings() {
    PortSettings settings = {};
    settings.device = ReadDecimal(kUartDevicePrompt);
    settings.flow = ReadDecimal(kUartFlowPrompt);
    settings.parity = ReadDecimal(kUartParityPrompt);
    settings.stopBits =
        ReadDecimal(kUartStopBitsPrompt);
    settings.byteSize = ReadDecimal(
        kUartByteSizePrompt);
    settings.frequency = ReadDecimal(kUartFrequencyPrompt);
    return settings;
}

void UartTests::RunWriteTest(char *writeBuffer, size_t size) {
    PrintTestHeader(kUartWriteTitle);
    PortSettings s = ReadPortSettings();
    ReadWord(kUartDataPrompt, writeBuffer, size);
    int result = UARTWriteTest(s.device, s.flow, s.parity, s.stopBits, s.byteSize, s.frequency, writeBuffer);
    PrintDataStatusLine("UART Write Test - Data: ", writeBuffer, result == 1);
    PrintClosingLine();
}

void UartTests::RunReadTest(char *readBuffer) {
    PrintTestHeader(kUartReadTitle);
    PortSettings s = ReadPortSettings();
    int32_t count = ReadDecimal(kUartCountPrompt);
    if (count < 1 || count > kMaxReadCount) {
        PrintLine("Character Count " + DecimalText(count) + " not supported!!!");
        return;
    }
    int result = UARTReadTest(s.device, s.flow, s.parity, s.stopBits, s.byteSize, s.frequency, count, readBuffer);
    PrintDataStatusLine("UART Read Test - Data: ", readBuffer, result == 1);
    PrintClosingLine();
}

void UartTests::RunContinuousReadTest(const char *readBuffer) {
    PrintTestHeader(kUartContinuousTitle);
    PortSettings s = ReadPortSettings();
    int result = UARTContinuousReadTest(s.device, s.flow, s.parity, s.stopBits, s.byteSize, s.frequency);
    PrintDataStatusLine("UART Read Test - Data: ", readBuffer, result == 1);
    PrintClosingLine();
}
