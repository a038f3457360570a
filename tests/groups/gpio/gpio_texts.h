// Texts shared by the GPIO transcripts.
#ifndef TESTS_GROUPS_GPIO_GPIO_TEXTS_H
#define TESTS_GROUPS_GPIO_GPIO_TEXTS_H

#include <string>

#include "expected_text.h"

inline std::string GpioMenu() {
    return SubMenu("Select Gpio Test!", {"Loopback Test", "LED Test", "Set Pin Test", "Get Pin Test",
                                         "Button Interrupt Test", "Button Polling Test", "GPIO PWM Test",
                                         "GPIO INT_PRIO Test"});
}

#endif
