// The bit rate a CAN controller really runs at when asked for a rate, by
// the kernel's own arithmetic: the kernel picks a prescaler and time
// segments from the controller's clock and limits, and reports the rate
// they give, which is seldom the rate asked for when the clock is not a
// multiple of it (800000 bit/s on a 30 MHz clock runs at 789473).
#ifndef LINUX_CAN_BIT_TIMING_H
#define LINUX_CAN_BIT_TIMING_H

#include <cstdint>
#include <linux/can/netlink.h>

// The rate the kernel sets for `bitRate` on a controller with the clock
// `clockHz` and the bit-timing limits `limits`, as can_calc_bittiming() of
// Linux 6.1 (drivers/net/can/dev/calc_bittiming.c) computes it with the
// default sample point; 0 when the kernel refuses the rate (more than 5%
// off) or the limits allow no timing at all.
uint32_t KernelCanBitRate(uint32_t clockHz, const can_bittiming_const &limits, uint32_t bitRate);

#endif
