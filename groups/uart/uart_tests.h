#ifndef GROUPS_UART_TESTS_H
#define GROUPS_UART_TESTS_H

#include <cstddef>

#include "../../hal/fixed_width_types.h"

// Serial port writes and reads (main-menu item 9).
class UartTests {
public:
    void UARTTestMenu();

    // Each test opens the port, configures it, transfers and closes it again;
    // 1 is success, 0 failure.
    int UARTWriteTest(int32_t device, int32_t flow, int32_t parity, int32_t stopBits, int32_t byteSize,
                      int32_t frequency, const char *text);
    // buffer holds count + 1 bytes: the library ends the characters with a NUL.
    int UARTReadTest(int32_t device, int32_t flow, int32_t parity, int32_t stopBits, int32_t byteSize,
                     int32_t frequency, int32_t count, char *buffer);
    // Shows what arrives until Space is pressed.
    int UARTContinuousReadTest(int32_t device, int32_t flow, int32_t parity, int32_t stopBits,
                               int32_t byteSize, int32_t frequency);

private:
    struct PortSettings;

    static PortSettings ReadPortSettings();
    void RunWriteTest(char *writeBuffer, size_t size);
    void RunReadTest(char *readBuffer);
    void RunContinuousReadTest(const char *readBuffer);
};

#endif
