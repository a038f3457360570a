#include "device_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>

#include "board_map_load.h"

std::string SystemError(const std::string &what) { return what + " (" + std::strerror(errno) + ")"; }

int OpenMappedDevice(const std::map<int32_t, DeviceEntry> &entries, const std::string &group, int32_t number,
                     int flags, std::string &why) {
    const std::string key = group + "." + std::to_string(number);
    auto entry = entries.find(number);
    if (entry == entries.end()) {
        why = TheBoardMap().Missing(key);
        return -1;
    }
    int fd = open(entry->second.device.c_str(), flags | O_CLOEXEC);
    // A device absent ever since the map was read: the map's line says why.
    if (fd < 0 && errno == ENOENT && TheBoardMap().broken.count(key)) why = TheBoardMap().Missing(key);
    else if (fd < 0) why = SystemError("cannot open " + entry->second.device);
    return fd;
}
