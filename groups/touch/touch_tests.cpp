#include "touch_tests.h"

#include "../../hal/QZHalLib.h"
#include "../../shell/dialogue.h"
#include "touch_texts.h"

void TouchTests::TouchTestMenu() {
    static const char *const kMenuItems[] = {kClearTouchTitle, kSetTouchTitle};
    for (;;) {
        PrintSubMenu("Select Touch Test!", kMenuItems);
        switch (ReadMenuChoice()) {
        case 0:
            return;
        case 1:
            PrintTestHeader(kClearTouchTitle);
            PrintStatusLine("Clear Touch Data ", ClearTouchDataTest() == 1);
            PrintClosingLine();
            break;
        case 2:
            PrintTestHeader(kSetTouchTitle);
            PrintStatusLine("Set Touch Data ", SetTouchDataTest() == 1);
            PrintClosingLine();
            break;
        case 3:
            PrintLine("Touch Data saved automatically after Setup Touch!");
            break;
        default:
            PrintNotValidTestFunction();
            break;
        }
    }
}

// Only a result of exactly 1 is success.
int TouchTests::ClearTouchDataTest() { return ClearTouchCalibrationData() == 1 ? 1 : 0; }

int TouchTests::SetTouchDataTest() { return CalibrateTouch() == 1 ? 1 : 0; }
