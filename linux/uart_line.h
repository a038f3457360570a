// Line settings of a serial port through termios: raw bytes, the bit rate,
// parity, stop bits, byte size and flow control.
#ifndef LINUX_UART_LINE_H
#define LINUX_UART_LINE_H

#include <cstdint>
#include <string>

struct UartLine {
    int32_t flow = 0;      // 0 off, 1 XON/XOFF, 2 RTS/CTS
    int32_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int32_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
    int32_t byteSize = 8;  // 5 to 8
    int32_t baud = 115200;
};

// Why the settings cannot be applied at all; empty when they can.
std::string UartLineProblem(const UartLine &line);

// Applies the settings to the open port; false with the reason in `why`.
bool ApplyUartLine(int fd, const UartLine &line, std::string &why);

// Sets a bit rate that has no Bnnn constant (termios2, BOTHER). In a file of
// its own: the kernel's termios header clashes with the C library's.
bool SetCustomBaud(int fd, uint32_t baud);

#endif
