// The serial driver's side of the host tests' ports (pseudo-terminals):
// a driver that rounds the custom rates it is given, as the i.MX UART's
// does, one that takes long to set a rate, and the rates a port holds.
#ifndef TESTS_LINUX_LIBRARY_SERIAL_STAND_IN_H
#define TESTS_LINUX_LIBRARY_SERIAL_STAND_IN_H

#include <cstdint>
#include <functional>
#include <string>

// While set, a port's custom rate (BOTHER) reads back through TCGETS2 as
// what this makes of it: the rate the driver's clock achieves.
extern std::function<uint32_t(uint32_t asked)> g_achievedUartRate;
// While set, called before each TCSETS2 (a custom rate being set).
extern std::function<void()> g_beforeCustomRate;

// Handles a serial ioctl of the library when a stand-in above is set;
// false for the real system call.
bool SerialStandInIoctl(int fd, unsigned long request, void *argument, int &result);

struct PortRates {
    uint32_t input = 0, output = 0;
};
// The input and output rates the kernel holds for the serial device at
// `path`.
PortRates RatesOf(const std::string &path);

#endif
