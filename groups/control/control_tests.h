#ifndef GROUPS_CONTROL_CONTROL_TESTS_H
#define GROUPS_CONTROL_CONTROL_TESTS_H

#include <cstddef>

#include "../../hal/fixed_width_types.h"

// Device reboot and the KITL debug transport (main-menu item 2).
class ControlTests {
public:
    void ControlTestMenu();
    int RestartKitlTest();
    int ControlPowerKitlTest(int32_t powerOn);

private:
    // Prints no status line: 1 when the library took the reboot request.
    int RunRebootTest();
    void RunRestartKitlTest(char *statusText, size_t size);
    void RunControlPowerKitlTest(char *statusText, size_t size);
};

#endif
