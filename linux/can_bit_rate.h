// The bit rate of a CAN interface, set through rtnetlink as `ip link set
// can0 type can bitrate N` does. Interfaces that have no bit rate (vcan)
// keep none: the rate is only recorded.
#ifndef LINUX_CAN_BIT_RATE_H
#define LINUX_CAN_BIT_RATE_H

#include <cstdint>
#include <string>

// Makes `bitRate` the interface's rate and brings the interface up: nothing
// when it is up and has no bit timing or already runs at that rate, else
// down (when up), set, up. False with the reason in `why` (changing the
// link needs CAP_NET_ADMIN). Taking the link down leaves ENETDOWN pending
// on the sockets bound to it.
bool SetCanBitRate(const std::string &interface, uint32_t bitRate, std::string &why);

#endif
