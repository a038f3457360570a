// Versions, device control and touch calibration on Linux. KITL and touch
// calibration have no Linux counterpart: those calls fail and say so.
// SoftReset restarts the board when the board map allows it.
#include <cstdio>
#include <fstream>
#include <linux/capability.h>
#include <sys/reboot.h>
#include <sys/utsname.h>
#include <unistd.h>

#include "../hal/QZHalLib.h"
#include "board_map_load.h"
#include "device_files.h"
#include "linux_call.h"
#include "version_word.h"

// The C library's capget(2), which <linux/capability.h> does not declare.
extern "C" int capget(cap_user_header_t header, cap_user_data_t data);

namespace {

constexpr uint32_t kLibraryVersion = 0x01000000;  // 1.0.0.0

// The board support package's version: VERSION_ID of /etc/os-release.
uint32_t BspVersion(Why &why) {
    const std::string path = "/etc/os-release";
    std::ifstream file(path);
    if (!file) return Refuse<uint32_t>(why, SystemError("cannot read " + path), 0);
    const std::string key = "VERSION_ID=";
    std::string unusable;
    for (std::string line; std::getline(file, line);) {
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        uint32_t word = VersionWord(value);
        if (word != 0) return word;
        unusable = value;
    }
    if (!unusable.empty())
        return Refuse<uint32_t>(why, "VERSION_ID \"" + unusable + "\" in " + path + " is no version number", 0);
    return Refuse<uint32_t>(why, "no VERSION_ID in " + path, 0);
}

// The OS image's version: the kernel release.
uint32_t ImageVersion(Why &why) {
    utsname name;
    if (uname(&name) != 0) return Refuse<uint32_t>(why, SystemError("uname failed"), 0);
    return VersionWord(name.release);
}

// Whether this process holds CAP_SYS_BOOT, which reboot() needs.
bool MayReboot() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    return capget(&header, data) == 0 &&
           (data[CAP_TO_INDEX(CAP_SYS_BOOT)].effective & CAP_TO_MASK(CAP_SYS_BOOT)) != 0;
}

int32_t Restart(Why &why) {
    const BoardMap &map = TheBoardMap();
    // Not allowed, or the map says nothing usable: it could not be read, or
    // its reboot line was wrong.
    if (!map.rebootAllowed && (!map.unreadable.empty() || map.broken.count("reboot")))
        return Refuse(why, map.Missing("reboot"));
    if (!map.rebootAllowed) return Refuse(why, "board map " + map.path + " does not allow a reboot");
    if (!MayReboot()) return Refuse(why, "rebooting needs the CAP_SYS_BOOT capability");
    // The call does not return when it works: its trace line goes first.
    // A reboot that still fails adds a second line with the reason.
    TraceCall("SoftReset", TraceArgs(), "1");
    sync();
    reboot(RB_AUTOBOOT);
    return Refuse(why, SystemError("reboot failed"));
}

}  // namespace

extern "C" {

uint32_t QZHAL_CALL QZHalLibGetVersion(void) {
    return LinuxCall("QZHalLibGetVersion", TraceArgs(), 0u, [](Why &) { return kLibraryVersion; });
}

uint32_t QZHAL_CALL BSPGetVersion(void) {
    return LinuxCall("BSPGetVersion", TraceArgs(), 0u, [](Why &why) { return BspVersion(why); });
}

uint32_t QZHAL_CALL WinCEImageGetVersion(void) {
    return LinuxCall("WinCEImageGetVersion", TraceArgs(), 0u, [](Why &why) { return ImageVersion(why); });
}

int32_t QZHAL_CALL SoftReset(void) {
    return LinuxCall("SoftReset", TraceArgs(), 0, [](Why &why) { return Restart(why); });
}

int32_t QZHAL_CALL ControlPowerKITL(int32_t on) {
    return LinuxCall("ControlPowerKITL", TraceArgs().Int(on), 0,
                     [](Why &why) { return Refuse(why, "Linux has no KITL transport"); });
}

int32_t QZHAL_CALL RestartPowerKITL(void) {
    return LinuxCall("RestartPowerKITL", TraceArgs(), 0,
                     [](Why &why) { return Refuse(why, "Linux has no KITL transport"); });
}

int32_t QZHAL_CALL ClearTouchCalibrationData(void) {
    return LinuxCall("ClearTouchCalibrationData", TraceArgs(), 0,
                     [](Why &why) { return Refuse(why, "no touch calibration on Linux"); });
}

int32_t QZHAL_CALL CalibrateTouch(void) {
    return LinuxCall("CalibrateTouch", TraceArgs(), 0,
                     [](Why &why) { return Refuse(why, "no touch calibration on Linux"); });
}

}  // extern "C"
