// The frame around every function of the simulated board: injected failures
// (QZHAL_SIM_FAIL) and the call trace (QZHAL_SIM_TRACE).
#ifndef SIM_SIM_CALL_H
#define SIM_SIM_CALL_H

#include <cstddef>
#include <cstdint>
#include <string>

// The argument list of one trace line, "arg, arg, ...".
class TraceArgs {
public:
    TraceArgs &Int(int64_t value);
    TraceArgs &Unsigned(uint64_t value);
    // Bytes handed to the library: "[12 30]".
    TraceArgs &Bytes(const uint8_t *bytes, size_t count);
    // 32-bit words handed to the library: "[00021055 ...]".
    TraceArgs &Words(const uint32_t *words, size_t count);
    // A text handed to the library, in double quotes.
    TraceArgs &Text(const char *text);
    // A pointer the library writes through: "ptr" or "null".
    TraceArgs &Pointer(const void *pointer);
    // The interrupt event: "event" or "null".
    TraceArgs &Event(const void *event);
    const std::string &Joined() const { return text_; }

private:
    TraceArgs &Add(const std::string &item);
    std::string text_;
};

// Counts a call of `name` and tells whether QZHAL_SIM_FAIL fails it.
bool SimCallFails(const char *name);

// Appends "name(args) = result" to the trace, when tracing is on.
void SimTrace(const char *name, const TraceArgs &args, const std::string &result);

inline std::string SimResultText(int32_t value) { return std::to_string(value); }
inline std::string SimResultText(uint32_t value) { return std::to_string(value); }

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
    SimTrace(name, args, SimResultText(result));
    return result;
}

#endif
