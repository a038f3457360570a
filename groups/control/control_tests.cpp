#include "control_tests.h"

#include "../../hal/QZHalLib.h"
#include "../../shell/dialogue.h"
#include "control_texts.h"

void ControlTests::ControlTestMenu() {
    char statusText[kStatusTextSize] = {};
    static const char *const kMenuItems[] = {kRebootTitle, "Restart KITL", "Control Power KITL"};
    for (;;) {
        PrintSubMenu("Select Control Test!", kMenuItems);
        switch (ReadMenuChoice()) {
        case 0:
            return;
        case 1:
            RecordUnprintedResult(RunRebootTest());
            break;
        case 2:
            RunRestartKitlTest(statusText, sizeof statusText);
            break;
        case 3:
            RunControlPowerKitlTest(statusText, sizeof statusText);
            break;
        default:
            PrintNotValidTestFunction();
            break;
        }
    }
}

int ControlTests::RestartKitlTest() { return RestartPowerKITL() != 0 ? 1 : 0; }

int ControlTests::ControlPowerKitlTest(int32_t powerOn) {
    return ControlPowerKITL(powerOn) != 0 ? 1 : 0;
}

// When the reset takes effect the device restarts and the program with it;
// if the call returns, the menu simply comes back.
int ControlTests::RunRebootTest() {
    PrintTestHeader(kRebootTitle);
    return SoftReset() != 0 ? 1 : 0;
}

void ControlTests::RunRestartKitlTest(char *statusText, size_t size) {
    PrintTestHeader(kKitlTitle);
    CopyStatusWord(statusText, size, RestartKitlTest() == 1);
    PrintLine(std::string("Restart KITL is ") + statusText + "!!!");
    PrintClosingLine();
}

void ControlTests::RunControlPowerKitlTest(char *statusText, size_t size) {
    PrintTestHeader(kKitlTitle);
    int32_t status = ReadDecimal(kKitlPowerPrompt);
    if (status == 0) PrintLine("Attention!!! KITL Connection is Shutting down!!!");
    CopyStatusWord(statusText, size, ControlPowerKitlTest(status == 0 ? 0 : 1) == 1);
    PrintLine(std::string("Control KITL is ") + statusText + "!!!");
    PrintClosingLine();
}
