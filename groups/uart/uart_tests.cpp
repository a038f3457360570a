#include "uart_tests.h"

#include <string>

#include "../../hal/QZHalLib.h"
#include "../../platform/console.h"
#include "../../platform/system.h"
#include "../../shell/dialogue.h"

namespace {

// The continuous read asks for this many characters per read and pauses
// between reads; its buffer holds them and the NUL with room to spare.
const int32_t kPollCount = 24;
const size_t kPollBufferSize = 100;
const uint32_t kPollPauseMs = 250;

// Printed without a line end: the status line follows on the same line.
void PrintReadFailed() { PrintPrompt("UART Read Test failed"); }

bool OpenAndConfigure(int32_t device, int32_t flow, int32_t parity, int32_t stopBits, int32_t byteSize,
                      int32_t frequency, bool reportFailedOpen) {
    if (UARTOpen(device, flow, frequency) != 1) {
        if (reportFailedOpen) PrintReadFailed();
        return false;
    }
    if (UARTConfigure(device, flow, parity, stopBits, byteSize, frequency) == 0) {
        UARTClose(device);
        return false;
    }
    return true;
}

}  // namespace

int UartTests::UARTWriteTest(int32_t device, int32_t flow, int32_t parity, int32_t stopBits,
                             int32_t byteSize, int32_t frequency, const char *text) {
    if (!OpenAndConfigure(device, flow, parity, stopBits, byteSize, frequency, false)) return 0;
    bool written = UARTWrite(device, text) == 1;
    UARTClose(device);
    return written ? 1 : 0;
}

int UartTests::UARTReadTest(int32_t device, int32_t flow, int32_t parity, int32_t stopBits,
                            int32_t byteSize, int32_t frequency, int32_t count, char *buffer) {
    if (!OpenAndConfigure(device, flow, parity, stopBits, byteSize, frequency, true)) return 0;
    bool read = UARTRead(device, count, buffer) == 1;
    UARTClose(device);
    if (read) return 1;
    PrintReadFailed();
    return 0;
}

int UartTests::UARTContinuousReadTest(int32_t device, int32_t flow, int32_t parity, int32_t stopBits,
                                      int32_t byteSize, int32_t frequency) {
    char poll[kPollBufferSize] = {};
    if (!OpenAndConfigure(device, flow, parity, stopBits, byteSize, frequency, true)) return 0;
    PrintLine("Press Space for Break Test");
    for (;;) {
        // A read that fails still shows what it stored; the loop goes on.
        UARTRead(device, kPollCount, poll);
        if (poll[0] != '\0') {
            PrintLine(std::string("Data: ") + poll);
            poll[0] = '\0';
        }
        if (PlatformSpaceKeyPressed()) break;
        PlatformSleep(kPollPauseMs);
    }
    UARTClose(device);
    return 1;
}
