// Texts and call traces shared by the GPIO transcripts.
#ifndef TESTS_GROUPS_GPIO_GPIO_TEXTS_H
#define TESTS_GROUPS_GPIO_GPIO_TEXTS_H

#include <string>
#include <vector>

#include "expected_text.h"

inline std::string GpioMenu() {
    return SubMenu("Select Gpio Test!", {"Loopback Test", "LED Test", "Set Pin Test", "Get Pin Test",
                                         "Button Interrupt Test", "Button Polling Test", "GPIO PWM Test",
                                         "GPIO INT_PRIO Test"});
}

// The LED, set pin and get pin tests from their headers to the menu again;
// `after`, `result` and `pinLine` are what they print once answered.
inline std::string LedTest(const std::string &after) {
    return TestHeader("Gpio LED Test") + "Enter Gpio LED Pin (e.g. 1 = LED1): " +
           "Enter Gpio LED State (e.g. 1|0): " + after + GpioMenu();
}

inline std::string SetPinTest(const std::string &result) {
    return TestHeader("Gpio Set Pin State") + "Enter Gpio Pin (e.g. 1 = GPIO_A): " +
           "Enter Gpio State (e.g. 1|0): " + Line(result) + GpioMenu();
}

inline std::string GetPinTest(const std::string &pinLine, const std::string &result) {
    return TestHeader("Gpio Get Pin State") + "Enter Gpio Pin (e.g. 1 = GPIO_A): " + Line(pinLine) + Line(result) +
           GpioMenu();
}

inline constexpr char kGpioButtonPrompt[] = "Enter Input Gpio Pin (e.g. 1 = GPIO_A): ";
inline constexpr char kGpioTypePrompt[] = "Enter ISR Type (e.g. 0=Low, 1=High, 2=Rise, 3=Fall, 4=Both, 5=None): ";

// The button interrupt test from its prompts to the menu again; `after` is
// what it prints once the prompts are answered.
inline std::string InterruptTest(const std::string &after) {
    return TestHeader("GPIO Button Interrupt Test") + kGpioButtonPrompt + kGpioTypePrompt + after + GpioMenu();
}

// The question asked after the `count`th interrupt.
inline std::string Box(int count) {
    return "[Interrupt Detect] Interrupt Event Detected (Count: " + std::to_string(count) + "), Continue? [Yes/No]: ";
}

// The four LED pins set back to inputs at the end of an interrupt test.
inline const std::vector<std::string> kGpioLedsReleased = {
    "GPIOSetDirection(5, 0, 1) = 1", "GPIOSetDirection(6, 0, 1) = 1", "GPIOSetDirection(8, 0, 1) = 1",
    "GPIOSetDirection(9, 0, 1) = 1"};

// The calls of one interrupt test that the operator answers `answers` times.
inline std::vector<std::string> InterruptCalls(int button, int led, int type, int answers) {
    const std::string ledPin = "GPIOSetPin(" + std::to_string(led);
    std::vector<std::string> calls = {
        "GPIOSetDirection(" + std::to_string(button) + ", 1, 0) = 1",
        "GPIOSetDirection(" + std::to_string(led) + ", 0, 0) = 1",
        "GPIOSetInterrupt(" + std::to_string(button) + ", " + std::to_string(type) + ", event) = 1"};
    for (int i = 0; i < answers; ++i) {
        calls.push_back(ledPin + ", 0) = 1");
        calls.push_back(ledPin + ", 1) = 1");
    }
    calls.push_back("GPIOClearInterrupt(" + std::to_string(button) + ") = 1");
    calls.insert(calls.end(), kGpioLedsReleased.begin(), kGpioLedsReleased.end());
    return calls;
}

#endif
