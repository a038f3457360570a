#include "can_bit_rate.h"

#include <cerrno>
#include <cstring>
#include <linux/can/netlink.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "can_bit_timing.h"

namespace {

// One rtnetlink request: the header, the interface and its attributes.
class LinkRequest {
public:
    // A change asks for an acknowledgement; a query gets its answer only, so
    // that no acknowledgement is left waiting for the next request.
    LinkRequest(uint16_t type, int index, unsigned flags, unsigned change) {
        nlmsghdr header{};
        header.nlmsg_type = type;
        header.nlmsg_flags = static_cast<uint16_t>(type == RTM_GETLINK ? NLM_F_REQUEST : NLM_F_REQUEST | NLM_F_ACK);
        Append(&header, sizeof header);
        ifinfomsg link{};
        link.ifi_family = AF_UNSPEC;
        link.ifi_index = index;
        link.ifi_flags = flags;
        link.ifi_change = change;
        Append(&link, sizeof link);
    }

    // Starts a nested attribute; End closes it.
    size_t Begin(uint16_t type) { return Attribute(type, nullptr, 0); }
    void End(size_t start) { AttributeAt(start).rta_len = static_cast<uint16_t>(bytes_.size() - start); }

    size_t Attribute(uint16_t type, const void *data, size_t size) {
        size_t start = bytes_.size();
        rtattr attribute{};
        attribute.rta_type = type;
        attribute.rta_len = static_cast<uint16_t>(RTA_LENGTH(size));
        Append(&attribute, sizeof attribute);
        Append(data, size);
        return start;
    }

    std::vector<char> &Finished() {
        reinterpret_cast<nlmsghdr *>(bytes_.data())->nlmsg_len = static_cast<uint32_t>(bytes_.size());
        return bytes_;
    }

private:
    void Append(const void *data, size_t size) {
        const char *bytes = static_cast<const char *>(data);
        if (bytes) bytes_.insert(bytes_.end(), bytes, bytes + size);
        bytes_.resize(NLMSG_ALIGN(bytes_.size()), 0);
    }
    rtattr &AttributeAt(size_t start) { return *reinterpret_cast<rtattr *>(bytes_.data() + start); }

    std::vector<char> bytes_;
};

class RouteSocket {
public:
    RouteSocket() : fd_(socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)) {}
    ~RouteSocket() {
        if (fd_ >= 0) close(fd_);
    }
    RouteSocket(const RouteSocket &) = delete;
    RouteSocket &operator=(const RouteSocket &) = delete;

    // Sends the request and returns the answer's first message, whole;
    // empty with errno set on failure (EMSGSIZE: the answer was cut).
    std::vector<char> Ask(std::vector<char> &request) {
        std::vector<char> answer(16384);
        ssize_t sent;
        do {
            sent = fd_ < 0 ? -1 : send(fd_, request.data(), request.size(), 0);
        } while (sent < 0 && errno == EINTR);
        if (sent < 0) return {};
        ssize_t got;
        do {
            got = recv(fd_, answer.data(), answer.size(), MSG_TRUNC);
        } while (got < 0 && errno == EINTR);
        if (got < 0) return {};
        const nlmsghdr *header = reinterpret_cast<const nlmsghdr *>(answer.data());
        if (static_cast<size_t>(got) > answer.size() || !NLMSG_OK(header, static_cast<size_t>(got))) {
            errno = EMSGSIZE;
            return {};
        }
        answer.resize(header->nlmsg_len);
        return answer;
    }

    // Sends a change and waits for its acknowledgement; false with errno.
    bool Change(std::vector<char> &request) {
        std::vector<char> answer = Ask(request);
        return !answer.empty() && Acknowledged(answer);
    }

    // Whether the answer is no error message, or one saying "no error";
    // else errno is the error.
    static bool Acknowledged(const std::vector<char> &answer) {
        const nlmsghdr *header = reinterpret_cast<const nlmsghdr *>(answer.data());
        if (header->nlmsg_type != NLMSG_ERROR) return true;
        if (header->nlmsg_len < NLMSG_LENGTH(sizeof(nlmsgerr))) {
            errno = EMSGSIZE;
            return false;
        }
        int error = -reinterpret_cast<const nlmsgerr *>(NLMSG_DATA(header))->error;
        errno = error;
        return error == 0;
    }

private:
    int fd_;
};

// The attribute of `type` among those from `first` over `length` bytes.
const rtattr *FindAttribute(const rtattr *first, int length, uint16_t type) {
    for (const rtattr *attribute = first; RTA_OK(attribute, length); attribute = RTA_NEXT(attribute, length))
        if (attribute->rta_type == type) return attribute;
    return nullptr;
}

struct LinkTiming {
    bool up = false;
    bool isCan = false;
    uint32_t bitRate = 0;
    // The controller's clock and bit-timing limits, when the kernel reports
    // them (a controller with a fixed list of rates has none).
    uint32_t clockHz = 0;
    bool hasLimits = false;
    can_bittiming_const limits{};
};

// The payload of attribute `type` of the CAN link data when it holds at
// least `size` bytes; null otherwise.
const void *CanAttribute(const rtattr *data, uint16_t type, size_t size) {
    const rtattr *found =
        FindAttribute(static_cast<const rtattr *>(RTA_DATA(data)), static_cast<int>(RTA_PAYLOAD(data)), type);
    return found && RTA_PAYLOAD(found) >= size ? RTA_DATA(found) : nullptr;
}

// What the interface's link information says about its bit timing.
LinkTiming ReadTiming(const std::vector<char> &answer) {
    LinkTiming timing;
    const nlmsghdr *header = reinterpret_cast<const nlmsghdr *>(answer.data());
    if (header->nlmsg_type != RTM_NEWLINK) return timing;
    const ifinfomsg *link = static_cast<const ifinfomsg *>(NLMSG_DATA(header));
    timing.up = (link->ifi_flags & IFF_UP) != 0;
    const rtattr *info = FindAttribute(IFLA_RTA(link), static_cast<int>(IFLA_PAYLOAD(header)), IFLA_LINKINFO);
    if (!info) return timing;
    const rtattr *kind = FindAttribute(static_cast<const rtattr *>(RTA_DATA(info)),
                                       static_cast<int>(RTA_PAYLOAD(info)), IFLA_INFO_KIND);
    timing.isCan = kind && std::strcmp(static_cast<const char *>(RTA_DATA(kind)), "can") == 0;
    const rtattr *data = FindAttribute(static_cast<const rtattr *>(RTA_DATA(info)),
                                       static_cast<int>(RTA_PAYLOAD(info)), IFLA_INFO_DATA);
    if (!data) return timing;
    if (const void *bits = CanAttribute(data, IFLA_CAN_BITTIMING, sizeof(can_bittiming)))
        timing.bitRate = static_cast<const can_bittiming *>(bits)->bitrate;
    if (const void *clock = CanAttribute(data, IFLA_CAN_CLOCK, sizeof(can_clock)))
        timing.clockHz = static_cast<const can_clock *>(clock)->freq;
    if (const void *limits = CanAttribute(data, IFLA_CAN_BITTIMING_CONST, sizeof(can_bittiming_const))) {
        std::memcpy(&timing.limits, limits, sizeof timing.limits);
        timing.hasLimits = true;
    }
    return timing;
}

// Whether the controller runs at what the kernel makes of `bitRate`: that
// rate, or the nearest its clock allows by the kernel's arithmetic
// (KernelCanBitRate). Only then is the link left as it is.
bool RunsAt(const LinkTiming &timing, uint32_t bitRate) {
    if (timing.bitRate == bitRate) return true;
    if (timing.bitRate == 0 || timing.clockHz == 0 || !timing.hasLimits) return false;
    return KernelCanBitRate(timing.clockHz, timing.limits, bitRate) == timing.bitRate;
}

bool SetUp(RouteSocket &route, int index, bool up) {
    LinkRequest request(RTM_NEWLINK, index, up ? IFF_UP : 0, IFF_UP);
    return route.Change(request.Finished());
}

bool SetTiming(RouteSocket &route, int index, uint32_t bitRate) {
    LinkRequest request(RTM_NEWLINK, index, 0, 0);
    size_t info = request.Begin(IFLA_LINKINFO);
    request.Attribute(IFLA_INFO_KIND, "can", 4);
    size_t data = request.Begin(IFLA_INFO_DATA);
    can_bittiming timing{};
    timing.bitrate = bitRate;
    request.Attribute(IFLA_CAN_BITTIMING, &timing, sizeof timing);
    request.End(data);
    request.End(info);
    return route.Change(request.Finished());
}

std::string Failure(const std::string &what) { return what + " (" + std::strerror(errno) + ")"; }

// Reads the link's state into `timing`; false with the reason in `why`.
bool QueryLink(RouteSocket &route, int index, const std::string &interface, LinkTiming &timing, std::string &why) {
    LinkRequest query(RTM_GETLINK, index, 0, 0);
    std::vector<char> answer = route.Ask(query.Finished());
    if (answer.empty() || !RouteSocket::Acknowledged(answer)) {
        why = Failure("cannot read the link of " + interface);
        return false;
    }
    if (reinterpret_cast<const nlmsghdr *>(answer.data())->nlmsg_type != RTM_NEWLINK) {
        why = "cannot read the link of " + interface + " (unexpected answer)";
        return false;
    }
    timing = ReadTiming(answer);
    return true;
}

}  // namespace

bool SetCanBitRate(const std::string &interface, uint32_t bitRate, uint32_t &rateInUse, std::string &why) {
    rateInUse = 0;
    int index = static_cast<int>(if_nametoindex(interface.c_str()));
    if (index == 0) {
        why = Failure("no network interface " + interface);
        return false;
    }
    RouteSocket route;
    LinkTiming timing;
    if (!QueryLink(route, index, interface, timing, why)) return false;
    bool newRate = timing.isCan && !RunsAt(timing, bitRate);
    if (!newRate) rateInUse = timing.bitRate;
    if (!newRate && timing.up) return true;
    bool set = !newRate || ((!timing.up || SetUp(route, index, false)) && SetTiming(route, index, bitRate));
    if (!set) why = Failure("cannot set " + interface + " to " + std::to_string(bitRate) + " bit/s");
    if (!SetUp(route, index, true) && set) {
        why = Failure("cannot bring " + interface + " up");
        return false;
    }
    // The rate the kernel chose; unknown when the link cannot be read now.
    std::string ignored;
    if (set && newRate && QueryLink(route, index, interface, timing, ignored)) rateInUse = timing.bitRate;
    return set;
}
