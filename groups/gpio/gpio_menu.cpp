#include "gpio_tests.h"

#include "../../shell/dialogue.h"
#include "gpio_texts.h"

namespace {

const int32_t kPwmPin = 28;
const int32_t kIntPrioPin = 29;

}  // namespace

void GpioTests::GPIOTestMenu() {
    static const char *const kMenuItems[] = {"Loopback Test", "LED Test", "Set Pin Test", "Get Pin Test",
                                             "Button Interrupt Test", "Button Polling Test", "GPIO PWM Test",
                                             "GPIO INT_PRIO Test"};
    for (;;) {
        PrintSubMenu("Select Gpio Test!", kMenuItems);
        switch (ReadMenuChoice()) {
        case 0: return;
        case 1: RunLoopbackTest(); break;
        case 2: RunLedTest(); break;
        case 3: RecordUnprintedResult(RunSetPinTest()); break;
        case 4: RecordUnprintedResult(RunGetPinTest()); break;
        case 5: RunButtonInterruptTest(); break;
        case 6: RecordUnprintedResult(RunButtonPollingTest()); break;
        case 7: RunPinStateTest(kPwmPinTitle, kPwmPin, "GPIO PWM Pin State is "); break;
        case 8:
            RunPinStateTest(kIntPrioPinTitle, kIntPrioPin, "GPIO INT_PRIO Pin State is ");
            break;
        default: PrintNotValidTestFunction(); break;
        }
    }
}
