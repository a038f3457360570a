#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>
#include <cstdint>

#include "uart_line.h"

// <sys/ioctl.h> would bring the C library's termios types along.
extern "C" int ioctl(int fd, unsigned long request, ...);

bool SetCustomBaud(int fd, uint32_t baud) {
    termios2 settings;
    if (ioctl(fd, TCGETS2, &settings) != 0) return false;
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = baud;
    settings.c_ospeed = baud;
    if (ioctl(fd, TCSETS2, &settings) != 0 || ioctl(fd, TCGETS2, &settings) != 0) return false;
    errno = EINVAL;
    return settings.c_ospeed == baud;
}
