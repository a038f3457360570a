// The program's own pauses (sleeps and timed event waits) as this build
// takes them. The fuzzing build caps them (QZHAL_PAUSE_CAP_MS) so that the
// fuzzer spends its time on paths rather than on waiting; every other build
// keeps them as asked.
#ifndef PLATFORM_PAUSE_CAP_H
#define PLATFORM_PAUSE_CAP_H

#include "../hal/fixed_width_types.h"

inline uint32_t PauseAsBuilt(uint32_t milliseconds) {
#ifdef QZHAL_PAUSE_CAP_MS
    return milliseconds < QZHAL_PAUSE_CAP_MS ? milliseconds : QZHAL_PAUSE_CAP_MS;
#else
    return milliseconds;
#endif
}

#endif
