#include "backlight_tests.h"

#include "../../hal/QZHalLib.h"
#include "../../shell/dialogue.h"
#include "backlight_texts.h"

namespace {

const int32_t kMaxLevel = 255;
const int32_t kMaxSuspendSeconds = 360;

}  // namespace

void BacklightTests::BacklightTestMenu() {
    // 0 = suspend on. Kept for the visit, so that an invalid option reuses the
    // last valid one; before any valid option it means suspend on.
    uint8_t suspendFlag = 0;
    static const char *const kMenuItems[] = {"Set Backlight Brightness", "Set Backlight Suspend"};
    for (;;) {
        PrintSubMenu("Select Backlight Test!", kMenuItems);
        switch (ReadMenuChoice()) {
        case 0:
            return;
        case 1:
            RunBrightnessTest();
            break;
        case 2:
            RunSuspendTest(suspendFlag);
            break;
        default:
            PrintNotValidTestFunction();
            break;
        }
    }
}

int BacklightTests::SetBacklightBrightnessTest(int32_t level) {
    return SetBacklightLevel(level) != 0 ? 1 : 0;
}

int BacklightTests::SetBacklightSuspendTest(int32_t seconds, uint8_t flag) {
    return SetBacklightSuspend(seconds, flag) != 0 ? 1 : 0;
}

void BacklightTests::RunBrightnessTest() {
    PrintTestHeader(kBrightnessTitle);
    int32_t level = ReadDecimal(kBrightnessLevelPrompt);
    if (level > kMaxLevel) {
        PrintLine("Invalid Value!!! Value must be less than 256!!!");
        return;
    }
    if (level < 0) {
        PrintLine("Invalid Value!!! Value must be greater than 0!!!");
        return;
    }
    PrintStatusLine("Set Backlight Brightness ", SetBacklightBrightnessTest(level) == 1);
    PrintClosingLine();
}

void BacklightTests::RunSuspendTest(uint8_t &suspendFlag) {
    PrintTestHeader(kSuspendTitle);
    int32_t seconds = ReadDecimal(kSuspendTimePrompt);
    int32_t option = ReadDecimal(kSuspendEnablePrompt);
    // Out-of-range times only draw a warning: the library decides.
    if (seconds < 0) PrintLine("Backlight Suspend Time must be greater than 0 Seconds");
    if (seconds > kMaxSuspendSeconds) PrintLine("Backlight Suspend Time must be less than 360 Seconds");
    if (option == 0 || option == 1)
        suspendFlag = static_cast<uint8_t>(option);
    else
        PrintLine("Enter valid Option to Enable/Disable Backlight Suspend");
    PrintStatusLine("Set Backlight Suspend: ", SetBacklightSuspendTest(seconds, suspendFlag) == 1);
    PrintClosingLine();
}
