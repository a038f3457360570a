// The call trace both board libraries write: one line per library call,
// "Name(arg, arg, ...) = result", appended when the call returns, to the
// file named by QZHAL_TRACE ("-": standard error). QZHAL_SIM_TRACE, the name
// the simulated board read first, is honoured when QZHAL_TRACE is unset.
#ifndef TRACE_CALL_TRACE_H
#define TRACE_CALL_TRACE_H

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
    // A text handed to the library, in double quotes; backslashes, double
    // quotes, line ends and other control characters in it escaped as C
    // writes them ("a\nb" for a, a line end, b).
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

inline std::string TraceResultText(int32_t value) { return std::to_string(value); }
inline std::string TraceResultText(uint32_t value) { return std::to_string(value); }

// "name(args) = result", and " # why" when the library says why the call
// failed (or what it did other than asked); control characters in `why`
// escaped, so that a line stays one line.
std::string TraceLine(const char *name, const TraceArgs &args, const std::string &result,
                      const std::string &why = std::string());

// Appends the line of one call to the trace, when tracing is on. Lines from
// several threads never mix.
void TraceCall(const char *name, const TraceArgs &args, const std::string &result,
               const std::string &why = std::string());

// Appends "# note" to the trace: something the library found that belongs
// to no single call, such as a mistake in its configuration. Control
// characters in it are escaped as in TraceLine.
void TraceNote(const std::string &note);

#endif
