// Device files of the board map, opened once and kept open, one table per
// group: the library's number to the open descriptor.
#ifndef LINUX_DEVICE_FILES_H
#define LINUX_DEVICE_FILES_H

#include <cstdint>
#include <map>
#include <string>

#include "board_map.h"

// errno as text: "what (No such device)".
std::string SystemError(const std::string &what);

// Opens the device of `entries` for `number` with `flags`; -1 with the reason
// in `why` when the map has no such entry or the device cannot be opened.
int OpenMappedDevice(const std::map<int32_t, DeviceEntry> &entries, const std::string &group, int32_t number,
                     int flags, std::string &why);

#endif
