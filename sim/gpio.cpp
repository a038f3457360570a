// GPIO of the simulated board.
// Not simulated yet: every call is traced and returns 0 until the GPIO pins,
// buttons and interrupts are modelled.
#include "../hal/QZHalLib.h"
#include "sim_call.h"
#include "sim_reset.h"

void SimGpioReset() {}

extern "C" {

int32_t GPIOSetDirection(int32_t gpio, int32_t direction, int32_t option) {
    return SimCall("GPIOSetDirection", TraceArgs().Int(gpio).Int(direction).Int(option), 0,
                   [] { return 0; });
}

int32_t GPIOSetPin(int32_t gpio, int32_t level) {
    return SimCall("GPIOSetPin", TraceArgs().Int(gpio).Int(level), 0, [] { return 0; });
}

int32_t GPIOGetPin(int32_t gpio) {
    return SimCall("GPIOGetPin", TraceArgs().Int(gpio), -1, [] { return 0; });
}

int32_t GPIOSetInterrupt(int32_t gpio, int32_t type, QZHAL_EVENT event) {
    return SimCall("GPIOSetInterrupt", TraceArgs().Int(gpio).Int(type).Event(event), 0,
                   [] { return 0; });
}

int32_t GPIOClearInterrupt(int32_t gpio) {
    return SimCall("GPIOClearInterrupt", TraceArgs().Int(gpio), 0, [] { return 0; });
}

}  // extern "C"
