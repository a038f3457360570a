#include "device_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>

#include "board_map_load.h"

std::string SystemError(const std::string &what) { return what + " (" + std::strerror(errno) + ")"; }

int OpenMappedDevice(const std::map<int32_t, DeviceEntry> &entries, const std::string &group, int32_t number,
                     int flags, std::string &why) {
    auto entry = entries.find(number);
    if (entry == entries.end()) {
        why = TheBoardMap().Missing(group + "." + std::to_string(number));
        return -1;
    }
    int fd = open(entry->second.device.c_str(), flags | O_CLOEXEC);
    if (fd < 0) why = SystemError("cannot open " + entry->second.device);
    return fd;
}
