#include "board_map_load.h"

#include <cstdio>
#include <cstdlib>
#include <net/if.h>
#include <sys/stat.h>

#include "../trace/call_trace.h"
#include "gpio_lines.h"

namespace {

constexpr char kDefaultMapPath[] = "/etc/qzhal/board.conf";

std::string MapPath() {
    const char *path = std::getenv("QZHAL_BOARD_MAP");
    return path && *path ? path : kDefaultMapPath;
}

bool Exists(const std::string &path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

std::string Quoted(const std::string &text) { return "\"" + text + "\""; }

// Leaves out every entry of `entries` whose device `missing` finds absent.
template <typename Entries, typename Missing>
void CheckEach(BoardMap &map, const std::string &group, Entries &entries, Missing missing) {
    for (auto entry = entries.begin(); entry != entries.end();) {
        std::string problem = missing(entry->second);
        if (problem.empty()) {
            ++entry;
            continue;
        }
        map.Reject(group + "." + std::to_string(entry->first), entry->second.line, problem);
        entry = entries.erase(entry);
    }
}

// Reports every entry of `entries` whose device file is absent, but keeps
// it: a device can come later (an adapter plugged in, a driver bound), and
// its calls work from then on.
void NoteAbsent(BoardMap &map, const std::string &group, const std::map<int32_t, DeviceEntry> &entries) {
    for (const auto &entry : entries)
        if (!Exists(entry.second.device))
            map.Reject(group + "." + std::to_string(entry.first), entry.second.line,
                       "no device " + entry.second.device);
}

std::string MissingInterface(const DeviceEntry &entry) {
    return if_nametoindex(entry.device.c_str()) != 0 ? "" : "no network interface " + Quoted(entry.device);
}

std::string MissingLine(const GpioEntry &entry) {
    GpioLine line;
    std::string why;
    if (!OpenGpioLine(entry, line, why)) return why;
    CloseGpioLine(line);
    return "";
}

void CheckDevices(BoardMap &map) {
    CheckEach(map, "gpio", map.gpio, MissingLine);
    NoteAbsent(map, "i2c", map.i2c);
    NoteAbsent(map, "spi", map.spi);
    NoteAbsent(map, "uart", map.uart);
    CheckEach(map, "can", map.can, MissingInterface);
    if (!map.backlight.device.empty() && !Exists(map.backlight.device + "/brightness")) {
        map.Reject("backlight", map.backlight.line, "no backlight " + map.backlight.device);
        map.backlight = DeviceEntry{};
    }
}

void Report(const BoardMap &map) {
    for (const std::string &error : map.errors) {
        std::fprintf(stderr, "QZHalLib: %s\n", error.c_str());
        TraceNote(error);
    }
}

}  // namespace

BoardMap LoadBoardMap(const std::string &path) {
    std::string text, why;
    if (!ReadBoardMapFile(path, text, why)) {
        BoardMap map;
        map.path = path;
        map.unreadable = "board map " + path + ": " + why;
        map.errors.push_back(map.unreadable);
        return map;
    }
    BoardMap map = ParseBoardMap(path, text);
    CheckDevices(map);
    return map;
}

const BoardMap &TheBoardMap() {
    static const BoardMap &map = [] () -> const BoardMap & {
        BoardMap *loaded = new BoardMap(LoadBoardMap(MapPath()));
        Report(*loaded);
        return *loaded;
    }();
    return map;
}
