// Stand-ins at the system-call seam for the Linux board library's host
// tests: the library's sources are linked into the test program with
// -Wl,--wrap for the calls below, so a test can play the kernel where this
// machine has no such device (a CAN interface, an I2C adapter, spidev) or
// where the kernel's behaviour cannot be provoked on demand (a full CAN
// transmit queue, a link query that fails). Every call on a descriptor the
// stand-ins did not hand out goes to the real system call.
#ifndef TESTS_LINUX_LIBRARY_STAND_INS_H
#define TESTS_LINUX_LIBRARY_STAND_INS_H

#include <poll.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <linux/can/netlink.h>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// The CAN interface of the host map: if_nametoindex finds it; raw CAN
// sockets are eventfds (always writable, never readable).
inline const std::string kStandInCan = "standin0";
constexpr int kStandInCanIndex = 4242;

struct CanStandIn {
    std::atomic<bool> queueFull{false};  // every write answers ENOBUFS
    std::atomic<int> writes{0};          // write calls on CAN sockets
    std::atomic<int> socketsClosed{0};   // close calls on CAN sockets
    std::atomic<bool> linkUp{true};
    std::atomic<bool> hasBitTiming{true};  // false: like vcan
    std::atomic<uint32_t> bitRate{500000};
    std::atomic<int> pendingError{0};  // sk_err of the sockets: the next transfer reports it
    std::atomic<int> linkDowns{0};     // changes that took the link down
    // Nonzero: the link reports this clock and FlexCAN's bit-timing limits
    // (kFlexCanLimits), and a rate set becomes what `kernelRates` says the
    // kernel makes of it there (the rate itself when it has no entry).
    std::atomic<uint32_t> clockHz{0};
    std::mutex mutex;
    std::map<uint32_t, uint32_t> kernelRates;
};
CanStandIn &TheCanStandIn();

// The bit-timing limits of the i.MX FlexCAN controller as its Linux driver
// (flexcan) reports them.
constexpr can_bittiming_const kFlexCanLimits = {"flexcan", 4, 16, 2, 8, 4, 1, 256, 1};

// rtnetlink: RTM_GETLINK is answered from TheCanStandIn(), changes are
// made there and acknowledged (taking an up link down leaves ENETDOWN
// pending on the CAN sockets, as the kernel does). Scripted answers and
// recv errors come first.
struct NetlinkStandIn {
    std::mutex mutex;
    std::deque<std::vector<char>> scripted;
    std::deque<int> recvErrors;
};
NetlinkStandIn &TheNetlinkStandIn();
std::vector<char> NetlinkErrorAnswer(int error);
// The stand-in's answer to RTM_GETLINK as it stands.
std::vector<char> LinkQueryAnswer();

// I2C_RDWR: the device at 0x50 answers; a call reports `answered` messages
// done (-1: all of them).
struct I2cStandIn {
    std::mutex mutex;
    std::vector<uint16_t> addresses;  // of every message sent
    int answered = -1;
};
I2cStandIn &TheI2cStandIn();

// spidev's mode register (the device tree's bits included).
struct SpiStandIn {
    std::atomic<uint32_t> mode{0};
};
SpiStandIn &TheSpiStandIn();

// reboot() fails with this errno; capget() grants CAP_SYS_BOOT or not.
extern std::atomic<int> g_rebootError;
extern std::atomic<bool> g_mayReboot;

// Writes to plain files (descriptors above 2, not the stand-ins'): the next
// `g_interruptedWrites` fail with EINTR, the next `g_shortWrites` after
// them write one byte.
extern std::atomic<int> g_interruptedWrites, g_shortWrites;

// Called before every poll of the library (set before threads start).
extern std::function<void(const pollfd *fds, nfds_t count, int timeout)> g_beforePoll;
// Called before and after every poll on a CAN socket.
extern std::function<void()> g_beforeCanPoll, g_afterCanPoll;

#endif
