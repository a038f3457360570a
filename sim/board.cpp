// Versions, backlight, device control and touch calibration of the simulated
// board.
#include <mutex>

#include "../hal/QZHalLib.h"
#include "sim_call.h"
#include "sim_reset.h"

namespace {

constexpr uint32_t kLibraryVersion = 0x01040201;
constexpr uint32_t kBspVersion = 0x070A0003;
constexpr uint32_t kImageVersion = 0x07001A2B;

constexpr int32_t kMaxBacklightLevel = 255;

std::mutex g_mutex;
int32_t g_backlightLevel = kMaxBacklightLevel;
int32_t g_suspendSeconds = 0;
int32_t g_suspendFlag = 0;
bool g_kitlPowered = true;

}  // namespace

extern "C" {

uint32_t QZHAL_CALL QZHalLibGetVersion(void) {
    return SimCall("QZHalLibGetVersion", TraceArgs(), 0u, [] { return kLibraryVersion; });
}

uint32_t QZHAL_CALL BSPGetVersion(void) {
    return SimCall("BSPGetVersion", TraceArgs(), 0u, [] { return kBspVersion; });
}

uint32_t QZHAL_CALL WinCEImageGetVersion(void) {
    return SimCall("WinCEImageGetVersion", TraceArgs(), 0u, [] { return kImageVersion; });
}

int32_t QZHAL_CALL SetBacklightLevel(int32_t level) {
    return SimCall("SetBacklightLevel", TraceArgs().Int(level), 0, [&] {
        if (level < 0 || level > kMaxBacklightLevel) return 0;
        std::lock_guard<std::mutex> lock(g_mutex);
        g_backlightLevel = level;
        return 1;
    });
}

int32_t QZHAL_CALL SetBacklightSuspend(int32_t seconds, int32_t flag) {
    return SimCall("SetBacklightSuspend", TraceArgs().Int(seconds).Int(flag), 0, [&] {
        if (seconds < 0 || (flag != 0 && flag != 1)) return 0;
        std::lock_guard<std::mutex> lock(g_mutex);
        g_suspendSeconds = seconds;
        g_suspendFlag = flag;
        return 1;
    });
}

int32_t QZHAL_CALL SoftReset(void) {
    return SimCall("SoftReset", TraceArgs(), 0, [] {
        SimGpioReset();
        SimPhysicalMemoryReset();
        SimSpiReset();
        SimUartReset();
        SimCanReset();
        return 1;
    });
}

int32_t QZHAL_CALL ControlPowerKITL(int32_t on) {
    return SimCall("ControlPowerKITL", TraceArgs().Int(on), 0, [&] {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_kitlPowered = on != 0;
        return 1;
    });
}

int32_t QZHAL_CALL RestartPowerKITL(void) {
    return SimCall("RestartPowerKITL", TraceArgs(), 0, [] {
        std::lock_guard<std::mutex> lock(g_mutex);
        return g_kitlPowered ? 1 : 0;
    });
}

int32_t QZHAL_CALL ClearTouchCalibrationData(void) {
    return SimCall("ClearTouchCalibrationData", TraceArgs(), 0, [] { return 1; });
}

int32_t QZHAL_CALL CalibrateTouch(void) {
    return SimCall("CalibrateTouch", TraceArgs(), 0, [] { return 1; });
}

}  // extern "C"
