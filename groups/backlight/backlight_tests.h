#ifndef GROUPS_BACKLIGHT_BACKLIGHT_TESTS_H
#define GROUPS_BACKLIGHT_BACKLIGHT_TESTS_H

#include "../../hal/fixed_width_types.h"

// Display backlight brightness and suspend time (main-menu item 1).
class BacklightTests {
public:
    void BacklightTestMenu();
    int SetBacklightBrightnessTest(int32_t level);
    int SetBacklightSuspendTest(int32_t seconds, uint8_t flag);

private:
    void RunBrightnessTest();
    void RunSuspendTest(uint8_t &suspendFlag);
};

#endif
