// The frame around every function of the simulated board: injected failures
// (QZHAL_SIM_FAIL) and the call trace (trace/call_trace.h).
#ifndef SIM_SIM_CALL_H
#define SIM_SIM_CALL_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "../trace/call_trace.h"

// Counts a call of `name` and tells whether QZHAL_SIM_FAIL fails it.
bool SimCallFails(const char *name);

inline void SimNoFailureEffect() {}

// Runs one library function: `body` computes the result unless the call is
// failed on purpose, in which case `failed` is returned and `onFailure` runs
// (for results a failed call stores, such as a CAN error code). Either way
// the call is traced when it returns.
template <typename Result, typename Body, typename OnFailure = void (*)()>
Result SimCall(const char *name, const TraceArgs &args, Result failed, Body body,
               OnFailure onFailure = SimNoFailureEffect) {
    Result result;
    if (SimCallFails(name)) {
        onFailure();
        result = failed;
    } else {
        result = body();
    }
    TraceCall(name, args, TraceResultText(result));
    return result;
}

#endif
