#ifndef GROUPS_GPIO_TESTS_H
#define GROUPS_GPIO_TESTS_H

#include "../../hal/fixed_width_types.h"

// Whether a pin read gave a level: 1 or 0, not a failed read's -1.
inline bool GPIOReadGaveLevel(int32_t value) { return value == 0 || value == 1; }

// GPIO pins, LEDs, buttons and interrupts (main-menu item 3).
class GpioTests {
public:
    void GPIOTestMenu();

    // Drives outPin high and reads inPin as an input: 1 when it read high.
    int GPIOLoopbackCheck(int32_t outPin, int32_t inPin);
    // Makes the pin an output at the level (1 high, 0 low): 1 when the
    // library accepted both calls (which only an unattended run looks at).
    int GPIODriveOutput(int32_t pin, int32_t level);
    // Reads the pin as it stands and prints "Pin is High" or "Pin is Low":
    // 1 when it read high.
    int GPIOShowPinState(int32_t pin);
    // The same, returning what the library read (-1: the read failed).
    int32_t GPIOReadAndShowPin(int32_t pin);

    // The four LED lines (GPIO 5, 6, 8, 9) as outputs; the release passes 1
    // as third argument.
    void GPIOLedsToOutput();
    void GPIOLedsRelease();
    // The four button lines (GPIO 1 to 4) as inputs.
    void GPIOButtonsToInput();

    // Counts the interrupts of one button with the operator until they
    // answer No: 1, or 0 when the test could not start.
    int GPIOButtonInterruptTest(int32_t buttonGpio, int32_t ledGpio, int32_t isrType);

private:
    void RunLoopbackTest();
    void RunLedTest();
    // These three print no status line; they return 1 when the library
    // accepted every call and answered every read with a level.
    int RunSetPinTest();
    int RunGetPinTest();
    void RunButtonInterruptTest();
    int RunButtonPollingTest();
    void RunPinStateTest(const char *title, int32_t pin, const char *resultPrefix);
};

#endif
