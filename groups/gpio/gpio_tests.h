#ifndef GROUPS_GPIO_TESTS_H
#define GROUPS_GPIO_TESTS_H

// GPIO pins, LEDs, buttons and interrupts (main-menu item 3).
class GpioTests {
public:
    void GPIOTestMenu();
};

#endif
