// Where the call trace goes, one small file per OS family
// (trace_output_posix.cpp, trace_output_win32.cpp).
#ifndef TRACE_TRACE_OUTPUT_H
#define TRACE_TRACE_OUTPUT_H

#include <string>

// The trace's environment variables, the current name first.
constexpr const char *kTraceVariable = "QZHAL_TRACE";
constexpr const char *kOlderTraceVariable = "QZHAL_SIM_TRACE";

// Appends one whole line to the trace, opened on first use; nothing when
// tracing is off. The caller serialises the calls.
void TraceOutputWrite(const std::string &line);

// Whether the trace is on: its variable names an output that could be
// opened.
bool TraceOutputOn();

#endif
