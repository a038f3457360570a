#include "main_menu.h"

#include <cstdio>

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

bool RunMainMenuPass(TestGroups &groups) {
    PrintMainMenu();
    switch (ReadMenuChoice()) {
    case 0: return false;
    case 1: groups.backlight.BacklightTestMenu(); break;
    case 2: groups.control.ControlTestMenu(); break;
    case 3: groups.gpio.GPIOTestMenu(); break;
    case 4: groups.i2c.I2CTestMenu(); break;
    case 5: groups.physicalMemory.PhysicalMemoryTestMenu(); break;
    case 6: groups.touch.TouchTestMenu(); break;
    case 7: groups.version.VersionTestMenu(); break;
    case 8: groups.spi.SPITestMenu(); break;
    case 9: groups.uart.UARTTestMenu(); break;
    case 10: groups.can.CANTestMenu(); break;
    default: PrintNotValidTestFunction(); break;
    }
    return true;
}

int RunTestProgram() {
    TestGroups groups;
    if (!PlatformInitApplication()) {
        std::printf("Fatal Error: MFC initialization failed\n");
        return kExitCodeNormalEnd;
    }
    while (RunMainMenuPass(groups)) {
    }
    return kExitCodeNormalEnd;
}
