// The board map: a small text file naming the Linux device behind each of
// the library's numbers. One "key = value" per line, '#' starts a comment:
//
//   gpio.N = CHIP OFFSET    a line of a GPIO chip (label, name or path)
//   gpio.N = NAME           a GPIO line by its name
//   i2c.N = /dev/i2c-M      spi.N = /dev/spidevB.C     uart.N = /dev/ttyX
//   can.N = can0            backlight = NAME or /sys/class/backlight/NAME
//   memory = BASE SIZE      a physical address window (repeatable)
//   reboot = yes | no       whether SoftReset may restart the board
//
// Every mistake is one line naming the file, the line and what is wrong;
// the entry it concerns is left out, so only the calls that need it fail.
// An I2C, SPI or UART device file that is absent is reported the same way,
// but its entry is kept, so that the device works once it is there.
#ifndef LINUX_BOARD_MAP_H
#define LINUX_BOARD_MAP_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct GpioEntry {
    int line = 0;
    std::string chip;  // empty: the line is found by name
    uint32_t offset = 0;
    std::string name;
};

struct DeviceEntry {
    int line = 0;
    std::string device;
};

struct MemoryWindow {
    int line = 0;
    uint64_t base = 0;
    uint64_t size = 0;
};

struct BoardMap {
    std::string path;
    std::map<int32_t, GpioEntry> gpio;
    std::map<int32_t, DeviceEntry> i2c, spi, uart, can;
    DeviceEntry backlight;  // device empty: none
    std::vector<MemoryWindow> memory;
    bool rebootAllowed = false;
    // The error line of each entry left out, by key ("gpio.3").
    std::map<std::string, std::string> broken;
    // Every error line, in the order found.
    std::vector<std::string> errors;
    // Set when the file could not be read: the reason every entry is missing.
    std::string unreadable;

    // Leaves an entry out: records `problem` found on `line` for `key`.
    void Reject(const std::string &key, int line, const std::string &problem);
    // Why the entry `key` is missing, for the trace line of a call that
    // needs it.
    std::string Missing(const std::string &key) const;
};

// The map in `text`, read from `path`: its syntax checked, the devices not
// yet looked at.
BoardMap ParseBoardMap(const std::string &path, const std::string &text);

// A number as the map writes it: decimal, or hexadecimal after 0x.
bool ParseMapNumber(const std::string &text, uint64_t &value);

// The largest map file read: far above any board's map.
constexpr size_t kMaxBoardMapBytes = 1 << 20;

// The text of the map file at `path`, which must be a regular file of at
// most kMaxBoardMapBytes; anything else (a folder, a FIFO, a device) is
// refused without waiting on it. False with the reason in `why` otherwise.
bool ReadBoardMapFile(const std::string &path, std::string &text, std::string &why);

#endif
