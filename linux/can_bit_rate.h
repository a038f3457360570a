// The bit rate of a CAN interface, set through rtnetlink as `ip link set
// can0 type can bitrate N` does. Interfaces that have no bit rate (vcan)
// keep none: the rate is only recorded.
#ifndef LINUX_CAN_BIT_RATE_H
#define LINUX_CAN_BIT_RATE_H

#include <cstdint>
#include <string>

// Makes `bitRate` the interface's rate: nothing when it has no bit timing or
// already runs at that rate, else down, set, up. False with the reason in
// `why` (setting a rate needs CAP_NET_ADMIN).
bool SetCanBitRate(const std::string &interface, uint32_t bitRate, std::string &why);

#endif
