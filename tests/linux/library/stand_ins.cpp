#include "stand_ins.h"

#include <cerrno>
#include <cstring>
#include <linux/can/netlink.h>
#include <linux/capability.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <linux/spi/spidev.h>
#include <net/if.h>
#include <set>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "serial_stand_in.h"

std::atomic<int> g_rebootError{EPERM};
std::atomic<bool> g_mayReboot{false};
std::atomic<int> g_interruptedWrites{0}, g_shortWrites{0};
std::function<void(const pollfd *, nfds_t, int)> g_beforePoll;
std::function<void()> g_beforeCanPoll, g_afterCanPoll;

CanStandIn &TheCanStandIn() {
    static CanStandIn stand;
    return stand;
}

NetlinkStandIn &TheNetlinkStandIn() {
    static NetlinkStandIn stand;
    return stand;
}

I2cStandIn &TheI2cStandIn() {
    static I2cStandIn stand;
    return stand;
}

SpiStandIn &TheSpiStandIn() {
    static SpiStandIn stand;
    return stand;
}

namespace {

enum class Kind { kNone, kCan, kNetlink };

struct Descriptors {
    std::mutex mutex;
    std::set<int> can, netlink;
    std::deque<std::vector<char>> answers;  // computed netlink answers
};

Descriptors &Fds() {
    static Descriptors &fds = *new Descriptors;
    return fds;
}

Kind KindOf(int fd) {
    Descriptors &fds = Fds();
    std::lock_guard<std::mutex> lock(fds.mutex);
    return fds.can.count(fd) ? Kind::kCan : fds.netlink.count(fd) ? Kind::kNetlink : Kind::kNone;
}

void Append(std::vector<char> &bytes, const void *data, size_t size) {
    const char *from = static_cast<const char *>(data);
    bytes.insert(bytes.end(), from, from + size);
    bytes.resize(NLMSG_ALIGN(bytes.size()), 0);
}

void AppendAttribute(std::vector<char> &bytes, uint16_t type, const void *data, size_t size) {
    rtattr attribute{static_cast<unsigned short>(RTA_LENGTH(size)), type};
    Append(bytes, &attribute, sizeof attribute);
    if (size) Append(bytes, data, size);
}

void SetLength(std::vector<char> &bytes, size_t at) {
    reinterpret_cast<rtattr *>(bytes.data() + at)->rta_len = static_cast<unsigned short>(bytes.size() - at);
}

}  // namespace

// RTM_NEWLINK as the kernel answers RTM_GETLINK of the stand-in's link.
std::vector<char> LinkQueryAnswer() {
    CanStandIn &can = TheCanStandIn();
    std::vector<char> bytes;
    nlmsghdr header{};
    header.nlmsg_type = RTM_NEWLINK;
    Append(bytes, &header, sizeof header);
    ifinfomsg link{};
    link.ifi_index = kStandInCanIndex;
    link.ifi_flags = can.linkUp ? IFF_UP | IFF_RUNNING : 0;
    Append(bytes, &link, sizeof link);
    AppendAttribute(bytes, IFLA_IFNAME, kStandInCan.c_str(), kStandInCan.size() + 1);
    size_t info = bytes.size();
    AppendAttribute(bytes, IFLA_LINKINFO, nullptr, 0);
    const char *kind = can.hasBitTiming ? "can" : "vcan";
    AppendAttribute(bytes, IFLA_INFO_KIND, kind, std::strlen(kind) + 1);
    if (can.hasBitTiming) {
        size_t data = bytes.size();
        AppendAttribute(bytes, IFLA_INFO_DATA, nullptr, 0);
        can_bittiming timing{};
        timing.bitrate = can.bitRate;
        AppendAttribute(bytes, IFLA_CAN_BITTIMING, &timing, sizeof timing);
        if (can.clockHz != 0) {
            AppendAttribute(bytes, IFLA_CAN_BITTIMING_CONST, &kFlexCanLimits, sizeof kFlexCanLimits);
            can_clock clock{can.clockHz};
            AppendAttribute(bytes, IFLA_CAN_CLOCK, &clock, sizeof clock);
        }
        SetLength(bytes, data);
    }
    SetLength(bytes, info);
    reinterpret_cast<nlmsghdr *>(bytes.data())->nlmsg_len = static_cast<uint32_t>(bytes.size());
    return bytes;
}

namespace {

const rtattr *Find(const rtattr *first, int length, uint16_t type) {
    for (const rtattr *at = first; RTA_OK(at, length); at = RTA_NEXT(at, length))
        if (at->rta_type == type) return at;
    return nullptr;
}

// Applies an RTM_NEWLINK request to the stand-in's link.
int ChangeLink(const nlmsghdr *header) {
    CanStandIn &can = TheCanStandIn();
    const ifinfomsg *link = static_cast<const ifinfomsg *>(NLMSG_DATA(header));
    if (link->ifi_index != kStandInCanIndex) return ENODEV;
    const rtattr *info = Find(IFLA_RTA(link), static_cast<int>(IFLA_PAYLOAD(header)), IFLA_LINKINFO);
    const rtattr *data = info ? Find(static_cast<const rtattr *>(RTA_DATA(info)), static_cast<int>(RTA_PAYLOAD(info)),
                                     IFLA_INFO_DATA)
                              : nullptr;
    const rtattr *timing = data ? Find(static_cast<const rtattr *>(RTA_DATA(data)),
                                       static_cast<int>(RTA_PAYLOAD(data)), IFLA_CAN_BITTIMING)
                                : nullptr;
    if (timing) {
        if (can.linkUp) return EBUSY;
        uint32_t asked = static_cast<const can_bittiming *>(RTA_DATA(timing))->bitrate;
        std::lock_guard<std::mutex> lock(can.mutex);
        auto made = can.kernelRates.find(asked);
        can.bitRate = can.clockHz != 0 && made != can.kernelRates.end() ? made->second : asked;
    }
    if (link->ifi_change & IFF_UP) {
        bool up = (link->ifi_flags & IFF_UP) != 0;
        if (can.linkUp && !up) {
            can.pendingError = ENETDOWN;
            ++can.linkDowns;
        }
        can.linkUp = up;
    }
    return 0;
}

}  // namespace

std::vector<char> NetlinkErrorAnswer(int error) {
    std::vector<char> bytes;
    nlmsghdr header{};
    header.nlmsg_type = NLMSG_ERROR;
    Append(bytes, &header, sizeof header);
    nlmsgerr answer{};
    answer.error = -error;
    Append(bytes, &answer, sizeof answer);
    reinterpret_cast<nlmsghdr *>(bytes.data())->nlmsg_len = static_cast<uint32_t>(bytes.size());
    return bytes;
}

extern "C" {

int __real_socket(int domain, int type, int protocol);
int __real_bind(int fd, const sockaddr *address, socklen_t length);
int __real_setsockopt(int fd, int level, int name, const void *value, socklen_t length);
int __real_getsockopt(int fd, int level, int name, void *value, socklen_t *length);
unsigned __real_if_nametoindex(const char *name);
ssize_t __real_write(int fd, const void *data, size_t size);
ssize_t __real_send(int fd, const void *data, size_t size, int flags);
ssize_t __real_recv(int fd, void *data, size_t size, int flags);
int __real_poll(pollfd *fds, nfds_t count, int timeout);
int __real_close(int fd);
int __real_ioctl(int fd, unsigned long request, void *argument);

int __wrap_socket(int domain, int type, int protocol) {
    if (domain != PF_CAN && domain != AF_NETLINK) return __real_socket(domain, type, protocol);
    int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0) return fd;
    Descriptors &fds = Fds();
    std::lock_guard<std::mutex> lock(fds.mutex);
    (domain == PF_CAN ? fds.can : fds.netlink).insert(fd);
    return fd;
}

int __wrap_bind(int fd, const sockaddr *address, socklen_t length) {
    if (KindOf(fd) == Kind::kNone) return __real_bind(fd, address, length);
    return 0;
}

int __wrap_setsockopt(int fd, int level, int name, const void *value, socklen_t length) {
    if (KindOf(fd) == Kind::kNone) return __real_setsockopt(fd, level, name, value, length);
    return 0;
}

int __wrap_getsockopt(int fd, int level, int name, void *value, socklen_t *length) {
    if (KindOf(fd) == Kind::kNone) return __real_getsockopt(fd, level, name, value, length);
    if (level == SOL_SOCKET && name == SO_ERROR) *static_cast<int *>(value) = TheCanStandIn().pendingError.exchange(0);
    return 0;
}

unsigned __wrap_if_nametoindex(const char *name) {
    return name == kStandInCan ? kStandInCanIndex : __real_if_nametoindex(name);
}

ssize_t __wrap_write(int fd, const void *data, size_t size) {
    Kind kind = KindOf(fd);
    if (kind == Kind::kNone && fd > 2 && g_interruptedWrites > 0) {
        --g_interruptedWrites;
        errno = EINTR;
        return -1;
    }
    if (kind == Kind::kNone && fd > 2 && g_shortWrites > 0 && size > 1) {
        --g_shortWrites;
        return __real_write(fd, data, 1);
    }
    if (kind != Kind::kCan) return __real_write(fd, data, size);
    CanStandIn &can = TheCanStandIn();
    ++can.writes;
    int error = can.pendingError.exchange(0);
    if (error == 0 && !can.linkUp) error = ENETDOWN;
    if (error == 0 && can.queueFull) error = ENOBUFS;
    if (error == 0) return static_cast<ssize_t>(size);
    errno = error;
    return -1;
}

ssize_t __wrap_send(int fd, const void *data, size_t size, int flags) {
    if (KindOf(fd) != Kind::kNetlink) return __real_send(fd, data, size, flags);
    const nlmsghdr *header = static_cast<const nlmsghdr *>(data);
    std::vector<char> answer;
    if (header->nlmsg_type == RTM_GETLINK) {
        const ifinfomsg *link = static_cast<const ifinfomsg *>(NLMSG_DATA(header));
        answer = link->ifi_index == kStandInCanIndex ? LinkQueryAnswer() : NetlinkErrorAnswer(ENODEV);
    } else {
        answer = NetlinkErrorAnswer(ChangeLink(header));
    }
    Descriptors &fds = Fds();
    std::lock_guard<std::mutex> lock(fds.mutex);
    fds.answers.push_back(answer);
    return static_cast<ssize_t>(size);
}

ssize_t __wrap_recv(int fd, void *data, size_t size, int flags) {
    Kind kind = KindOf(fd);
    if (kind == Kind::kNone) return __real_recv(fd, data, size, flags);
    if (kind == Kind::kCan) {
        int error = TheCanStandIn().pendingError.exchange(0);
        errno = error ? error : EAGAIN;
        return -1;
    }
    std::vector<char> answer;
    {
        NetlinkStandIn &netlink = TheNetlinkStandIn();
        std::lock_guard<std::mutex> lock(netlink.mutex);
        if (!netlink.recvErrors.empty()) {
            errno = netlink.recvErrors.front();
            netlink.recvErrors.pop_front();
            return -1;
        }
        Descriptors &fds = Fds();
        std::lock_guard<std::mutex> lockFds(fds.mutex);
        if (fds.answers.empty()) {
            errno = EAGAIN;
            return -1;
        }
        answer = fds.answers.front();
        fds.answers.pop_front();
        if (!netlink.scripted.empty()) {
            answer = netlink.scripted.front();
            netlink.scripted.pop_front();
        }
    }
    size_t copied = std::min(size, answer.size());
    std::memcpy(data, answer.data(), copied);
    return static_cast<ssize_t>((flags & MSG_TRUNC) ? answer.size() : copied);
}

int __wrap_poll(pollfd *fds, nfds_t count, int timeout) {
    if (g_beforePoll) g_beforePoll(fds, count, timeout);
    bool can = false;
    for (nfds_t i = 0; i < count; ++i) can = can || KindOf(fds[i].fd) == Kind::kCan;
    if (can && g_beforeCanPoll) g_beforeCanPoll();
    int ready = __real_poll(fds, count, timeout);
    if (can && g_afterCanPoll) {
        int error = errno;
        g_afterCanPoll();
        errno = error;
    }
    return ready;
}

int __wrap_close(int fd) {
    Descriptors &fds = Fds();
    {
        std::lock_guard<std::mutex> lock(fds.mutex);
        if (fds.can.erase(fd)) ++TheCanStandIn().socketsClosed;
        fds.netlink.erase(fd);
    }
    return __real_close(fd);
}

int __wrap_ioctl(int fd, unsigned long request, void *argument) {
    if (request == I2C_RDWR) {
        I2cStandIn &i2c = TheI2cStandIn();
        std::lock_guard<std::mutex> lock(i2c.mutex);
        auto *transfer = static_cast<i2c_rdwr_ioctl_data *>(argument);
        for (__u32 i = 0; i < transfer->nmsgs; ++i) i2c.addresses.push_back(transfer->msgs[i].addr);
        if (transfer->msgs[0].addr != 0x50) {
            errno = ENXIO;
            return -1;
        }
        return i2c.answered >= 0 ? i2c.answered : static_cast<int>(transfer->nmsgs);
    }
    SpiStandIn &spi = TheSpiStandIn();
    switch (request) {
    case SPI_IOC_RD_MODE: *static_cast<uint8_t *>(argument) = static_cast<uint8_t>(spi.mode); return 0;
    case SPI_IOC_WR_MODE: spi.mode = (spi.mode & ~0xffu) | *static_cast<uint8_t *>(argument); return 0;
    case SPI_IOC_RD_MODE32: *static_cast<uint32_t *>(argument) = spi.mode; return 0;
    case SPI_IOC_WR_MODE32: spi.mode = *static_cast<uint32_t *>(argument); return 0;
    case SPI_IOC_WR_BITS_PER_WORD:
    case SPI_IOC_WR_MAX_SPEED_HZ: return 0;
    default: {
        int result = 0;
        return SerialStandInIoctl(fd, request, argument, result) ? result : __real_ioctl(fd, request, argument);
    }
    }
}

int __wrap_reboot(int) {
    errno = g_rebootError;
    return -1;
}

void __wrap_sync(void) {}

int __wrap_capget(__user_cap_header_struct *header, __user_cap_data_struct *data) {
    header->version = _LINUX_CAPABILITY_VERSION_3;
    data[0] = data[1] = __user_cap_data_struct{};
    if (g_mayReboot) data[CAP_TO_INDEX(CAP_SYS_BOOT)].effective = CAP_TO_MASK(CAP_SYS_BOOT);
    return 0;
}

}  // extern "C"
