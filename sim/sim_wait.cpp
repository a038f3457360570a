#include "sim_wait.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

using Duration = std::chrono::steady_clock::duration;

// A cap of more than a day is no cap worth having; it also keeps the
// conversion to the clock's ticks from overflowing.
constexpr int64_t kLongestCapMs = 24 * 60 * 60 * 1000;

// -1: no cap.
int64_t ParseCapMs(const char *text) {
    if (!text || !*text) return -1;
    int64_t ms = 0;
    for (const char *c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return -1;
        ms = std::min(ms * 10 + (*c - '0'), kLongestCapMs);
    }
    return ms;
}

}  // namespace

Duration SimCappedWait(Duration wait) {
    static const int64_t capMs = ParseCapMs(std::getenv("QZHAL_SIM_WAIT_CAP_MS"));
    if (capMs < 0) return wait;
    return std::min(wait, Duration(std::chrono::milliseconds(capMs)));
}
