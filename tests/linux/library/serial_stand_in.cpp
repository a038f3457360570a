#include "serial_stand_in.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

// <sys/ioctl.h> would bring the C library's termios types along.
extern "C" int __real_ioctl(int fd, unsigned long request, void *argument);

std::function<uint32_t(uint32_t)> g_achievedUartRate;
std::function<void()> g_beforeCustomRate;

bool SerialStandInIoctl(int fd, unsigned long request, void *argument, int &result) {
    if (request == TCSETS2 && g_beforeCustomRate) {
        g_beforeCustomRate();
        return false;
    }
    if (request != TCGETS2 || !g_achievedUartRate) return false;
    result = __real_ioctl(fd, request, argument);
    auto *settings = static_cast<termios2 *>(argument);
    if (result == 0 && (settings->c_cflag & CBAUD) == BOTHER) {
        settings->c_ospeed = g_achievedUartRate(settings->c_ospeed);
        settings->c_ispeed = g_achievedUartRate(settings->c_ispeed);
    }
    return true;
}

PortRates RatesOf(const std::string &path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios2 settings;
    bool read = fd >= 0 && __real_ioctl(fd, TCGETS2, &settings) == 0;
    if (fd >= 0) close(fd);
    if (!read) throw std::runtime_error("cannot read the rates of " + path);
    return PortRates{settings.c_ispeed, settings.c_ospeed};
}
