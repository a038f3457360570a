// Physical register space of the simulated board.
// Not simulated yet: every call is traced and returns 0 until the register
// space is modelled.
#include "../hal/QZHalLib.h"
#include "sim_call.h"
#include "sim_reset.h"

void SimPhysicalMemoryReset() {}

extern "C" {

int32_t WritePhysicalAddress(int32_t channel, uint32_t address, int32_t width, uint32_t value,
                             int32_t option) {
    return SimCall("WritePhysicalAddress",
                   TraceArgs().Int(channel).Unsigned(address).Int(width).Unsigned(value).Int(option), -1,
                   [] { return 0; });
}

uint32_t ReadPhysicalAddress(int32_t channel, uint32_t address, int32_t width) {
    return SimCall("ReadPhysicalAddress", TraceArgs().Int(channel).Unsigned(address).Int(width), 0u,
                   [] { return 0u; });
}

}  // extern "C"
