#include "can_bit_timing.h"

#include <algorithm>

// The arithmetic below is the kernel's, step for step and in its unsigned
// 32-bit types, so that it lands on the same rate: can_calc_bittiming() and
// can_update_sample_point() of Linux 6.1.
namespace {

constexpr uint32_t kSyncSegment = 1;        // CAN_SYNC_SEG, in time quanta
constexpr uint32_t kMaxErrorPerMille = 50;  // CAN_CALC_MAX_ERROR: 5.0%
constexpr uint32_t kNone = UINT32_MAX;

// The sample point the kernel aims at when none is given (CiA's
// recommendation), in tenths of a per cent of the bit.
uint32_t NominalSamplePoint(uint32_t bitRate) { return bitRate > 800000 ? 750 : bitRate > 500000 ? 800 : 875; }

uint32_t Distance(uint32_t a, uint32_t b) { return a > b ? a - b : b - a; }

// How far before the nominal sample point the better of the kernel's two
// splits of `tseg` quanta (around the sample point) puts it; kNone when
// both put it after the nominal point, which the kernel never takes.
uint32_t SamplePointError(const can_bittiming_const &limits, uint32_t nominal, uint32_t tseg) {
    uint32_t best = kNone;
    for (uint32_t i = 0; i <= 1; ++i) {
        uint32_t tseg2 = tseg + kSyncSegment - (nominal * (tseg + kSyncSegment)) / 1000 - i;
        tseg2 = std::min(std::max(tseg2, limits.tseg2_min), limits.tseg2_max);
        uint32_t tseg1 = tseg - tseg2;
        if (tseg1 > limits.tseg1_max) {
            tseg1 = limits.tseg1_max;
            tseg2 = tseg - tseg1;
        }
        uint32_t samplePoint = 1000 * (tseg + kSyncSegment - tseg2) / (tseg + kSyncSegment);
        uint32_t error = Distance(nominal, samplePoint);
        if (samplePoint <= nominal && error < best) best = error;
    }
    return best;
}

}  // namespace

uint32_t KernelCanBitRate(uint32_t clockHz, const can_bittiming_const &limits, uint32_t bitRate) {
    if (bitRate == 0 || limits.brp_inc == 0) return 0;
    const uint32_t nominal = NominalSamplePoint(bitRate);
    uint32_t bestError = kNone, bestSampleError = kNone, bestRate = 0;
    // Each sum of the two time segments, from the largest down, is tried
    // with the prescaler rounded down (even count) and up (odd count).
    const int64_t first = (int64_t{limits.tseg1_max} + limits.tseg2_max) * 2 + 1;
    const int64_t last = (int64_t{limits.tseg1_min} + limits.tseg2_min) * 2;
    for (int64_t count = first; count >= last; --count) {
        const uint32_t tseg = static_cast<uint32_t>(count);
        const uint32_t quanta = kSyncSegment + tseg / 2;
        if (quanta * bitRate == 0) continue;
        uint32_t prescaler = clockHz / (quanta * bitRate) + tseg % 2;
        prescaler = prescaler / limits.brp_inc * limits.brp_inc;
        if (prescaler < limits.brp_min || prescaler > limits.brp_max || prescaler * quanta == 0) continue;
        const uint32_t rate = clockHz / (prescaler * quanta);
        const uint32_t error = Distance(bitRate, rate);
        if (error > bestError) continue;
        // A closer rate counts before any sample point.
        if (error < bestError) bestSampleError = kNone;
        const uint32_t sampleError = SamplePointError(limits, nominal, tseg / 2);
        if (sampleError >= bestSampleError) continue;
        bestSampleError = sampleError;
        bestError = error;
        bestRate = rate;
        if (error == 0 && sampleError == 0) break;
    }
    if (bestError != 0 && uint64_t{bestError} * 1000 / bitRate > kMaxErrorPerMille) return 0;
    return bestRate;
}
