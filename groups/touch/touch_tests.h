#ifndef GROUPS_TOUCH_TOUCH_TESTS_H
#define GROUPS_TOUCH_TOUCH_TESTS_H

// Touch screen calibration (main-menu item 6).
class TouchTests {
public:
    void TouchTestMenu();
    int ClearTouchDataTest();
    int SetTouchDataTest();
};

#endif
