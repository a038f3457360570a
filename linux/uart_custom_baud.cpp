#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cstdint>

#include "uart_line.h"

// <sys/ioctl.h> would bring the C library's termios types along.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace {

uint32_t Distance(uint32_t a, uint32_t b) { return a > b ? a - b : b - a; }

}  // namespace

bool SetCustomBaud(int fd, uint32_t baud, uint32_t &achieved) {
    termios2 settings;
    if (ioctl(fd, TCGETS2, &settings) != 0) return false;
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = baud;
    settings.c_ospeed = baud;
    if (ioctl(fd, TCSETS2, &settings) != 0 || ioctl(fd, TCGETS2, &settings) != 0) return false;
    // A driver writes back the rate its clock made of the one asked for.
    achieved = Distance(settings.c_ispeed, baud) > Distance(settings.c_ospeed, baud) ? settings.c_ispeed
                                                                                    : settings.c_ospeed;
    return true;
}
