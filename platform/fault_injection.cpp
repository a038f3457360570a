#include "fault_injection.h"

// Only the fault-injecting test build compiles this part, as C++17; the
// program itself gets the empty answer below.
#ifdef QZHAL_PLATFORM_FAULTS

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "fail_list.h"

bool PlatformFaultInjected(const char *call) {
    static std::mutex mutex;
    static const FailList *failures = new FailList(std::getenv("QZHAL_PLATFORM_FAIL"));
    static auto *callCounts = new std::map<std::string, uint64_t>;
    std::lock_guard<std::mutex> lock(mutex);
    uint64_t number = ++(*callCounts)[call];
    return failures->Fails(call, number);
}

#else

bool PlatformFaultInjected(const char *) { return false; }

#endif
