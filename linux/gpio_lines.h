// Finding the GPIO line a board map entry names, through libgpiod.
#ifndef LINUX_GPIO_LINES_H
#define LINUX_GPIO_LINES_H

#include <string>

#include "board_map.h"

struct gpiod_chip;
struct gpiod_line;

// A line and the chip it was opened from; closing the chip releases the
// line.
struct GpioLine {
    gpiod_chip *chip = nullptr;
    gpiod_line *line = nullptr;
};

// Opens the line of `entry`; false with the reason in `why` when the chip or
// the line does not exist. A search by line name or chip label skips the
// chips that cannot be opened, and names them in the reason when it found
// nothing.
bool OpenGpioLine(const GpioEntry &entry, GpioLine &opened, std::string &why);

void CloseGpioLine(GpioLine &opened);

#endif
