// The backlight through sysfs: the level 0 to 255 scaled to the device's
// max_brightness. sysfs has no suspend time for a backlight, so
// SetBacklightSuspend has no counterpart here.
#include <cerrno>
#include <cstdio>
#include <fstream>

#include "../hal/QZHalLib.h"
#include "board_map_load.h"
#include "device_files.h"
#include "linux_call.h"

namespace {

constexpr int32_t kMaxLevel = 255;

bool ReadNumber(const std::string &path, int64_t &value) {
    std::ifstream file(path);
    return static_cast<bool>(file >> value);
}

bool WriteNumber(const std::string &path, int64_t value) {
    FILE *file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    bool written = std::fprintf(file, "%lld\n", static_cast<long long>(value)) > 0;
    // sysfs reports a refused value when the file is flushed.
    bool closed = std::fclose(file) == 0;
    return written && closed;
}

// level * max / 255, rounded to the nearest step.
int64_t Scaled(int32_t level, int64_t maxBrightness) { return (level * maxBrightness + kMaxLevel / 2) / kMaxLevel; }

int32_t SetLevel(int32_t level, Why &why) {
    if (level < 0 || level > kMaxLevel) return Refuse(why, "level must be 0 to 255");
    const BoardMap &map = TheBoardMap();
    if (map.backlight.device.empty()) return Refuse(why, map.Missing("backlight"));
    const std::string &device = map.backlight.device;
    int64_t maxBrightness = 0;
    if (!ReadNumber(device + "/max_brightness", maxBrightness) || maxBrightness <= 0)
        return Refuse(why, "cannot read " + device + "/max_brightness");
    if (!WriteNumber(device + "/brightness", Scaled(level, maxBrightness)))
        return Refuse(why, SystemError("cannot write " + device + "/brightness"));
    return 1;
}

}  // namespace

extern "C" {

int32_t QZHAL_CALL SetBacklightLevel(int32_t level) {
    return LinuxCall("SetBacklightLevel", TraceArgs().Int(level), 0, [&](Why &why) { return SetLevel(level, why); });
}

int32_t QZHAL_CALL SetBacklightSuspend(int32_t seconds, int32_t flag) {
    return LinuxCall("SetBacklightSuspend", TraceArgs().Int(seconds).Int(flag), 0,
                     [&](Why &why) { return Refuse(why, "Linux has no backlight suspend time in sysfs"); });
}

}  // extern "C"
