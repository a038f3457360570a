// Line settings of a serial port through termios: raw bytes, the bit rate,
// parity, stop bits, byte size and flow control.
#ifndef LINUX_UART_LINE_H
#define LINUX_UART_LINE_H

#include <chrono>
#include <cstddef>
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

// How far the rate a port's driver achieves may be from the rate asked for,
// in per cent: the tolerance the kernel itself allows when it takes an
// achieved rate for a standard one (tty_termios_encode_baud_rate), and
// about half of what a frame of 12 bits leaves two ends between them (half
// a bit over 12 bits, 4%).
constexpr uint32_t kUartRateTolerancePercent = 2;

// Applies the settings to the open port; false with the reason in `why`.
// `rateInUse` is the rate the port runs at: a driver sets the nearest rate
// its clock allows for a rate without a Bnnn constant, and says which.
bool ApplyUartLine(int fd, const UartLine &line, uint32_t &rateInUse, std::string &why);

// The time `bytes` take on the line: each a start bit, its data bits, the
// parity bit if any and its stop bits.
std::chrono::microseconds UartSendTime(const UartLine &line, size_t bytes);

// Sets a bit rate that has no Bnnn constant (termios2, BOTHER), as both the
// input and the output rate; `achieved` is the output rate the driver
// reports then (the input rate, when it reports another one that is
// farther from `baud`). False with errno set when the port refuses it. In a
// file of its own: the kernel's termios header clashes with the C
// library's.
bool SetCustomBaud(int fd, uint32_t baud, uint32_t &achieved);

#endif
