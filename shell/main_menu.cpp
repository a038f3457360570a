#include "main_menu.h"

#include <cstdio>

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
#include "../platform/system.h"
#include "dialogue.h"

namespace {

const char kFrameLine[] = "---------------------------------";  // 33 dashes

void PrintMainMenu() {
    PrintLine(kFrameLine);
    PrintLine("QZHalLib Test Selection!");
    PrintLine(kFrameLine);
    PrintLine("1: Backlight Function Test");
    PrintLine("2: Control Function Test");
    PrintLine("3: Gpio Function Test");
    PrintLine("4: I2c Function Test");
    PrintLine("5: Physical Memory Function Test");
    PrintLine("6: Touch Function Test");
    PrintLine("7: Version Function Test");
    PrintLine("8: SPI Function Test");
    PrintLine("9: UART Function Test");
    PrintLine("10: CAN Function Test");
    PrintLine("0: Exit App");
    PrintLine(kFrameLine);
}

}  // namespace

int RunTestProgram() {
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

    if (!PlatformInitApplication()) {
        std::printf("Fatal Error: MFC initialization failed\n");
        return kExitCodeNormalEnd;
    }
    for (;;) {
        PrintMainMenu();
        switch (ReadMenuChoice()) {
        case 0: return kExitCodeNormalEnd;
        case 1: backlight.BacklightTestMenu(); break;
        case 2: control.ControlTestMenu(); break;
        case 3: gpio.GPIOTestMenu(); break;
        case 4: i2c.I2CTestMenu(); break;
        case 5: physicalMemory.PhysicalMemoryTestMenu(); break;
        case 6: touch.TouchTestMenu(); break;
        case 7: version.VersionTestMenu(); break;
        case 8: spi.SPITestMenu(); break;
        case 9: uart.UARTTestMenu(); break;
        case 10: can.CANTestMenu(); break;
        default: PrintNotValidTestFunction(); break;
        }
    }
}
