#include "sim_call.h"

#include <cstdlib>
#include <map>
#include <mutex>

#include "../platform/fail_list.h"

namespace {

std::mutex g_failMutex;

}  // namespace

bool SimCallFails(const char *name) {
    std::lock_guard<std::mutex> lock(g_failMutex);
    static const FailList *failures = new FailList(std::getenv("QZHAL_SIM_FAIL"));
    static auto *callCounts = new std::map<std::string, uint64_t>;
    uint64_t number = ++(*callCounts)[name];
    return failures->Fails(name, number);
}
