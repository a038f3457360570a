#include "sim_call.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "../platform/fail_list.h"
#include "sim_os.h"

namespace {

std::mutex g_failMutex;
std::mutex g_traceMutex;

std::string Hex(uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

TraceArgs &TraceArgs::Add(const std::string &item) {
    if (!text_.empty()) text_ += ", ";
    text_ += item;
    return *this;
}

TraceArgs &TraceArgs::Int(int64_t value) { return Add(std::to_string(value)); }

TraceArgs &TraceArgs::Unsigned(uint64_t value) { return Add(std::to_string(value)); }

TraceArgs &TraceArgs::Bytes(const uint8_t *bytes, size_t count) {
    std::string list = "[";
    for (size_t i = 0; bytes && i < count; ++i) list += (i ? " " : "") + Hex(bytes[i], 2);
    return Add(list + "]");
}

TraceArgs &TraceArgs::Words(const uint32_t *words, size_t count) {
    std::string list = "[";
    for (size_t i = 0; words && i < count; ++i) list += (i ? " " : "") + Hex(words[i], 8);
    return Add(list + "]");
}

TraceArgs &TraceArgs::Text(const char *text) {
    return Add(text ? "\"" + std::string(text) + "\"" : "null");
}

TraceArgs &TraceArgs::Pointer(const void *pointer) { return Add(pointer ? "ptr" : "null"); }

TraceArgs &TraceArgs::Event(const void *event) { return Add(event ? "event" : "null"); }

bool SimCallFails(const char *name) {
    std::lock_guard<std::mutex> lock(g_failMutex);
    static const FailList *failures = new FailList(std::getenv("QZHAL_SIM_FAIL"));
    static auto *callCounts = new std::map<std::string, uint64_t>;
    uint64_t number = ++(*callCounts)[name];
    return failures->Fails(name, number);
}

void SimTrace(const char *name, const TraceArgs &args, const std::string &result) {
    std::lock_guard<std::mutex> lock(g_traceMutex);
    SimTraceWrite(std::string(name) + "(" + args.Joined() + ") = " + result + "\n");
}
