#ifndef SHELL_MAIN_MENU_H
#define SHELL_MAIN_MENU_H

// Exit code of the program's normal end, also at the end of the input. The
// program never ends with 0: a failed start-up gives 1 as well.
const int kExitCodeNormalEnd = 1;

#include "../groups/backlight/backlight_tests.h"
#include "../groups/can/can_tests.h"
#include "../groups/control/control_tests.h"
#include "../groups/gpio/gpio_tests.h"
#include "../groups/i2c/i2c_tests.h"
#include "../groups/phymem/phymem_tests.h"
#include "../groups/spi/spi_tests.h"
#include "../groups/touch/touch_tests.h"
#include "../groups/uart/uart_tests.h"
#include "../groups/version/version_tests.h"

// One data-less object per test group, whose menus the main menu runs.
struct TestGroups {
    BacklightTests backlight;
    ControlTests control;
    GpioTests gpio;
    I2CTests i2c;
    PhysicalMemoryTests physicalMemory;
    TouchTests touch;
    VersionTests version;
    SpiTests spi;
    CanTests can;
    UartTests uart;
};

// One pass of the main menu: the menu, one choice, and the group's menu it
// runs until that returns. False after the choice 0.
bool RunMainMenuPass(TestGroups &groups);

// Start-up, the main menu loop until the operator chooses 0, and the end of
// the program. Returns the exit code.
int RunTestProgram();

#endif
