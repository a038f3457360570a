// The longest a library call may wait, for runs that must not sit out the
// board's real time-outs (QZHAL_SIM_WAIT_CAP_MS).
#ifndef SIM_SIM_WAIT_H
#define SIM_SIM_WAIT_H

#include <chrono>

// `wait`, or the cap when QZHAL_SIM_WAIT_CAP_MS holds a smaller number of
// milliseconds. Unset, empty or not a plain decimal number: no cap.
std::chrono::steady_clock::duration SimCappedWait(std::chrono::steady_clock::duration wait);

#endif
