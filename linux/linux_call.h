// The frame around every function of the Linux board library: the call
// trace, with the reason on the line of a call that failed, and no exception
// ever leaving the C interface.
#ifndef LINUX_LINUX_CALL_H
#define LINUX_LINUX_CALL_H

#include <exception>
#include <string>

#include "../trace/call_trace.h"

// Why a call failed, filled in by the call's body; empty on success.
using Why = std::string;

// Sets the reason and returns `result`, for the failure paths of a body.
template <typename Result>
Result Refuse(Why &why, const std::string &reason, Result result) {
    why = reason;
    return result;
}

inline int32_t Refuse(Why &why, const std::string &reason) { return Refuse<int32_t>(why, reason, 0); }

// Runs one library function: `body(why)` computes the result; `failed` is
// returned when it throws. The call is traced when it returns.
template <typename Result, typename Body>
Result LinuxCall(const char *name, const TraceArgs &args, Result failed, Body body) {
    Why why;
    Result result = failed;
    try {
        result = body(why);
    } catch (const std::exception &error) {
        why = error.what();
    } catch (...) {
        why = "unexpected failure";
    }
    TraceCall(name, args, TraceResultText(result), why);
    return result;
}

#endif
