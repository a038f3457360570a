// The pin-level tests: loopback, LED, set and get pin, PWM and INT_PRIO.
#include <string>

#include "../../hal/QZHalLib.h"
#include "../../platform/system.h"
#include "../../shell/dialogue.h"
#include "gpio_tests.h"
#include "gpio_texts.h"

namespace {

const int32_t kOutput = 0;
const int32_t kInput = 1;
const uint32_t kLedSettleMs = 100;

// A typed state: 1 is high, every other number low.
int32_t LevelOfState(int32_t state) { return state == 1 ? 1 : 0; }

// The GPIO of LED 1 to 4, 0 for any other number.
int32_t LedGpio(int32_t led) {
    switch (led) {
    case 1: return 6;
    case 2: return 5;
    case 3: return 8;
    case 4: return 9;
    default: return 0;
    }
}

// Prints the level a pin read; only 1 is high.
int ShowPinLevel(int32_t value) {
    bool high = value == 1;
    PrintLine(high ? "Pin is High" : "Pin is Low");
    return high ? 1 : 0;
}

}  // namespace

int GpioTests::GPIOLoopbackCheck(int32_t outPin, int32_t inPin) {
    GPIOSetDirection(outPin, kOutput, 0);
    GPIOSetDirection(inPin, kInput, 0);
    GPIOSetPin(outPin, 1);
    return GPIOGetPin(inPin) == 1 ? 1 : 0;
}

int GpioTests::GPIODriveOutput(int32_t pin, int32_t level) {
    bool directionSet = GPIOSetDirection(pin, kOutput, 0) != 0;
    bool levelSet = GPIOSetPin(pin, level) != 0;
    return directionSet && levelSet ? 1 : 0;
}

int32_t GpioTests::GPIOReadAndShowPin(int32_t pin) {
    int32_t value = GPIOGetPin(pin);
    ShowPinLevel(value);
    return value;
}

int GpioTests::GPIOShowPinState(int32_t pin) { return GPIOReadAndShowPin(pin) == 1 ? 1 : 0; }

void GpioTests::RunLoopbackTest() {
    PrintTestHeader(kLoopbackTitle);
    int32_t first = ReadDecimal(kLoopbackFirstPinPrompt);
    int32_t second = ReadDecimal(kLoopbackSecondPinPrompt);
    bool joined = GPIOLoopbackCheck(first, second) == 1;
    PrintStatusLine("Loopback Test GPIO " + DecimalText(first) + " to " + DecimalText(second), joined);
    PrintClosingLine();
}

// Reads back the LED's own line, and counts only a read that gave exactly
// the level written: a failed read (-1) is no proof of a low LED.
void GpioTests::RunLedTest() {
    PrintTestHeader(kLedTitle);
    int32_t led = ReadDecimal(kLedPinPrompt);
    int32_t state = ReadDecimal(kLedStatePrompt);
    int32_t gpio = LedGpio(led);
    if (gpio == 0) {
        PrintLine("Enter valid LED Number (1 to 4)");
        return;
    }
    int32_t level = LevelOfState(state);
    GPIODriveOutput(gpio, level);
    PlatformSleep(kLedSettleMs);
    int32_t readBack = GPIOGetPin(gpio);
    ShowPinLevel(readBack);
    PrintLine("GPIO " + DecimalText(gpio) + " Test is" + StatusWord(readBack == level) + "!!!");
}

int GpioTests::RunSetPinTest() {
    PrintTestHeader(kSetPinTitle);
    int32_t pin = ReadDecimal(kPinPrompt);
    int32_t level = LevelOfState(ReadDecimal(kPinStatePrompt));
    int accepted = GPIODriveOutput(pin, level);
    PrintLine("GPIO Pin " + DecimalText(pin) + " is " + DecimalText(level) + "!!!");
    return accepted;
}

int GpioTests::RunGetPinTest() {
    PrintTestHeader(kGetPinTitle);
    int32_t pin = ReadDecimal(kPinPrompt);
    int32_t value = GPIOReadAndShowPin(pin);
    PrintLine("GPIO Pin " + DecimalText(pin) + " is " + (value == 1 ? "HIGH" : "LOW") + "!!!");
    return GPIOReadGaveLevel(value) ? 1 : 0;
}

// Writes the pin without touching its direction and reads it back: Success
// when it reads exactly the level written.
void GpioTests::RunPinStateTest(const char *title, int32_t pin, const char *resultPrefix) {
    PrintTestHeader(title);
    int32_t level = LevelOfState(ReadDecimal(kOnOffStatePrompt));
    GPIOSetPin(pin, level);
    bool readsWritten = GPIOGetPin(pin) == level;
    PrintLine(std::string(resultPrefix) + StatusWord(readsWritten) + "!!!");
}
