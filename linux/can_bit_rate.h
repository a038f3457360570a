// The bit rate of a CAN interface, set through rtnetlink as `ip link set
// can0 type can bitrate N` does. Interfaces that have no bit rate (vcan)
// keep none: the rate is only recorded.
#ifndef LINUX_CAN_BIT_RATE_H
#define LINUX_CAN_BIT_RATE_H

#include <cstdint>
#include <string>

// Makes `bitRate` the interface's rate and brings the interface up: nothing
// when it is up and has no bit timing or already runs at that rate (or at
// the nearest rate the kernel makes of it on the controller's clock), else
// down (when up), set, up. `rateInUse` is the rate the controller runs at
// then, as the kernel reports it (0: no bit timing, or unknown). False with
// the reason in `why` (changing the link needs CAP_NET_ADMIN). Taking the
// link down leaves ENETDOWN pending on the sockets bound to it.
bool SetCanBitRate(const std::string &interface, uint32_t bitRate, uint32_t &rateInUse, std::string &why);

#endif
