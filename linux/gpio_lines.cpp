#include "gpio_lines.h"

#include <cerrno>
#include <cstring>
#include <gpiod.h>

namespace {

std::string Quoted(const std::string &text) { return "\"" + text + "\""; }

bool OpenByName(const std::string &name, GpioLine &opened, std::string &why) {
    errno = 0;
    opened.line = gpiod_line_find(name.c_str());
    if (!opened.line) {
        // ENOENT: no chip has such a line; else a chip could not be
        // searched, and the line may be on it.
        if (errno == ENOENT || errno == 0)
            why = "no GPIO line named " + Quoted(name);
        else
            why = "cannot look for GPIO line " + Quoted(name) + ": a GPIO chip cannot be opened (" +
                  std::strerror(errno) + ")";
        return false;
    }
    opened.chip = gpiod_line_get_chip(opened.line);
    return true;
}

bool OpenByOffset(const std::string &chipName, uint32_t offset, GpioLine &opened, std::string &why) {
    opened.chip = gpiod_chip_open_lookup(chipName.c_str());
    if (!opened.chip) {
        why = "no GPIO chip " + Quoted(chipName);
        return false;
    }
    unsigned lines = gpiod_chip_num_lines(opened.chip);
    if (offset >= lines) {
        why = "GPIO chip " + Quoted(chipName) + " has " + std::to_string(lines) + " lines, no line " +
              std::to_string(offset);
        CloseGpioLine(opened);
        return false;
    }
    opened.line = gpiod_chip_get_line(opened.chip, offset);
    if (!opened.line) {
        why = "cannot open line " + std::to_string(offset) + " of GPIO chip " + Quoted(chipName);
        CloseGpioLine(opened);
        return false;
    }
    return true;
}

}  // namespace

bool OpenGpioLine(const GpioEntry &entry, GpioLine &opened, std::string &why) {
    opened = GpioLine{};
    return entry.chip.empty() ? OpenByName(entry.name, opened, why)
                              : OpenByOffset(entry.chip, entry.offset, opened, why);
}

void CloseGpioLine(GpioLine &opened) {
    if (opened.chip) gpiod_chip_close(opened.chip);
    opened = GpioLine{};
}
