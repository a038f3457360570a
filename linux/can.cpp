// CAN over SocketCAN raw sockets on the interface the board map names. The
// acceptance filter is the socket's CAN_RAW_FILTER and is checked again on
// every frame read, so that frames queued before a filter change are not
// returned. Transfers wait with poll on the socket and on the channel's
// close event: CANClose signals it, so blocked transfers end at once with
// error code 4, and it waits for them to leave before closing the socket.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <linux/can.h>
#include <linux/can/raw.h>
#include <map>
#include <mutex>
#include <net/if.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "../hal/QZHalLib.h"
#include "board_map_load.h"
#include "can_bit_rate.h"
#include "device_files.h"
#include "linux_call.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t kModeStandard = 0;
constexpr int32_t kModeExtended = 1;
constexpr uint32_t kMinBitRate = 20000;
constexpr uint32_t kMaxBitRate = 1000000;
constexpr int32_t kMaxPrio = 255;
constexpr int32_t kMaxData = 8;
// A full transmit queue is tried again at this interval: SocketCAN answers
// ENOBUFS while poll says the socket is writable, so nothing wakes a wait.
constexpr auto kQueueFullRetry = std::chrono::milliseconds(1);

struct CanChannel {
    std::string interface;
    int socket = -1;
    int closeEvent = -1;
    int transfers = 0;  // running now, outside the lock
    bool closing = false;  // a CANClose waits for the transfers to end
    bool modeSet = false, messageSet = false;
    int32_t mode = kModeStandard;
    int32_t kind = 0, id = 0, prio = 0, timeoutMs = 0, buffer = 0;
    uint32_t filterId = 0, filterMask = 0;
    bool filterRemote = false;
    bool hasLastRead = false;
    can_frame lastRead{};
};

struct CanChannels {
    std::mutex mutex;
    std::condition_variable transferEnded;
    std::map<int32_t, CanChannel> open;  // by channel number
};

CanChannels &Channels() {
    static CanChannels &channels = *new CanChannels;
    return channels;
}

using Lock = std::unique_lock<std::mutex>;

std::string ChannelName(int32_t channel) { return "CAN channel " + std::to_string(channel); }

bool IsZeroOrOne(int32_t value) { return value == 0 || value == 1; }

int32_t Fail(int32_t *err, int32_t code, Why &why, const std::string &reason) {
    if (err) *err = code;
    return Refuse(why, reason);
}

// The open channel; null with the reason in `why`, also while it is being
// closed: only the first CANClose owns the channel from then on.
CanChannel *Find(CanChannels &channels, int32_t channel, Why &why) {
    auto found = channels.open.find(channel);
    if (found == channels.open.end()) {
        why = ChannelName(channel) + " is not open";
        return nullptr;
    }
    if (found->second.closing) {
        why = ChannelName(channel) + " is being closed";
        return nullptr;
    }
    return &found->second;
}

bool Accepts(const CanChannel &channel, const can_frame &frame) {
    bool remote = (frame.can_id & CAN_RTR_FLAG) != 0;
    uint32_t id = frame.can_id & CAN_EFF_MASK;
    return remote == channel.filterRemote && (id & channel.filterMask) == (channel.filterId & channel.filterMask);
}

bool ApplyFilter(const CanChannel &channel) {
    can_filter filter;
    filter.can_id = (channel.filterId & CAN_EFF_MASK) | (channel.filterRemote ? CAN_RTR_FLAG : 0);
    filter.can_mask = (channel.filterMask & CAN_EFF_MASK) | CAN_RTR_FLAG;
    return setsockopt(channel.socket, SOL_CAN_RAW, CAN_RAW_FILTER, &filter, sizeof filter) == 0;
}

// Takes the error the kernel left on the socket when its interface went
// down (ENETDOWN), which the next transfer would report otherwise.
void ClearPendingError(const CanChannel &channel) {
    int error = 0;
    socklen_t size = sizeof error;
    getsockopt(channel.socket, SOL_SOCKET, SO_ERROR, &error, &size);
}

void CloseDescriptors(CanChannel &channel) {
    if (channel.socket >= 0) close(channel.socket);
    if (channel.closeEvent >= 0) close(channel.closeEvent);
}

// A raw socket bound to the interface, accepting every data frame.
bool OpenSocket(CanChannel &channel, Why &why) {
    channel.socket = socket(PF_CAN, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, CAN_RAW);
    if (channel.socket < 0) return Refuse(why, SystemError("cannot open a CAN socket"), false);
    sockaddr_can address{};
    address.can_family = AF_CAN;
    address.can_ifindex = static_cast<int>(if_nametoindex(channel.interface.c_str()));
    if (address.can_ifindex == 0) return Refuse(why, SystemError("no network interface " + channel.interface), false);
    if (bind(channel.socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        return Refuse(why, SystemError("cannot bind to " + channel.interface), false);
    if (!ApplyFilter(channel)) return Refuse(why, SystemError("cannot set the CAN filter"), false);
    channel.closeEvent = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (channel.closeEvent < 0) return Refuse(why, SystemError("cannot make the close event"), false);
    return true;
}

int32_t Open(int32_t number, Why &why) {
    CanChannels &channels = Channels();
    Lock lock(channels.mutex);
    if (channels.open.count(number)) return Refuse(why, ChannelName(number) + " is already open");
    const BoardMap &map = TheBoardMap();
    auto entry = map.can.find(number);
    if (entry == map.can.end()) return Refuse(why, map.Missing("can." + std::to_string(number)));
    CanChannel channel;
    channel.interface = entry->second.device;
    if (!OpenSocket(channel, why)) {
        CloseDescriptors(channel);
        return 0;
    }
    channels.open.emplace(number, channel);
    return 1;
}

int32_t Close(int32_t number, Why &why) {
    CanChannels &channels = Channels();
    Lock lock(channels.mutex);
    CanChannel *channel = Find(channels, number, why);
    if (!channel) return 0;
    uint64_t one = 1;
    if (write(channel->closeEvent, &one, sizeof one) != sizeof one) return Refuse(why, SystemError("cannot close"));
    channel->closing = true;
    channels.transferEnded.wait(lock, [&] { return channel->transfers == 0; });
    CloseDescriptors(*channel);
    channels.open.erase(number);
    return 1;
}

int32_t ConfigureMode(int32_t number, int32_t mode, uint32_t bitRate, Why &why) {
    if (mode != kModeStandard && mode != kModeExtended) return Refuse(why, "mode must be 0 or 1");
    if (bitRate < kMinBitRate || bitRate > kMaxBitRate) return Refuse(why, "bit rate must be 20000 to 1000000");
    CanChannels &channels = Channels();
    Lock lock(channels.mutex);
    CanChannel *channel = Find(channels, number, why);
    uint32_t rateInUse = 0;
    if (!channel || !SetCanBitRate(channel->interface, bitRate, rateInUse, why)) return 0;
    // The controller's clock seldom makes every rate exactly: the trace
    // tells the rate it runs at.
    if (rateInUse != 0 && rateInUse != bitRate)
        why = channel->interface + " runs at " + std::to_string(rateInUse) + " bit/s, the nearest rate its clock allows";
    ClearPendingError(*channel);
    channel->mode = mode;
    channel->modeSet = true;
    // A message whose ID the new mode cannot carry must be configured again.
    if (channel->messageSet && mode == kModeStandard && channel->id > static_cast<int32_t>(CAN_SFF_MASK))
        channel->messageSet = false;
    return 1;
}

int32_t ConfigureMessage(int32_t number, int32_t kind, int32_t id, int32_t prio, int32_t timeoutMs,
                         int32_t buffer, Why &why) {
    CanChannels &channels = Channels();
    Lock lock(channels.mutex);
    CanChannel *channel = Find(channels, number, why);
    if (!channel) return 0;
    if (!channel->modeSet) return Refuse(why, ChannelName(number) + ": mode not configured");
    int32_t maxId = static_cast<int32_t>(channel->mode == kModeExtended ? CAN_EFF_MASK : CAN_SFF_MASK);
    if (!IsZeroOrOne(kind)) return Refuse(why, "kind must be 0 (data) or 1 (remote)");
    if (id < 0 || id > maxId) return Refuse(why, "id must be 0 to " + std::to_string(maxId) + " in this mode");
    if (prio < 0 || prio > kMaxPrio) return Refuse(why, "priority must be 0 to 255");
    if (timeoutMs < 0) return Refuse(why, "timeout must not be negative");
    if (!IsZeroOrOne(buffer)) return Refuse(why, "buffer must be 0 or 1");
    channel->kind = kind;
    channel->id = id;
    channel->prio = prio;
    channel->timeoutMs = timeoutMs;
    channel->buffer = buffer;
    channel->messageSet = true;
    return 1;
}

int32_t SetFilter(int32_t number, uint32_t id, uint32_t mask, bool remote, Why &why) {
    CanChannels &channels = Channels();
    Lock lock(channels.mutex);
    CanChannel *channel = Find(channels, number, why);
    if (!channel) return 0;
    channel->filterId = id;
    channel->filterMask = mask;
    channel->filterRemote = remote;
    if (!ApplyFilter(*channel)) return Refuse(why, SystemError("cannot set the CAN filter"));
    return 1;
}

// What a transfer needs from its channel, taken under the lock; the channel
// stays open until the transfer has ended.
struct Transfer {
    CanChannels &channels;
    CanChannel &channel;
    Transfer(CanChannels &all, CanChannel &one) : channels(all), channel(one) { ++channel.transfers; }
    ~Transfer() {
        std::lock_guard<std::mutex> lock(channels.mutex);
        --channel.transfers;
        channels.transferEnded.notify_all();
    }
};

// Waits for `events` on the socket until the deadline or a close; returns
// 0 when ready, else the error code.
int32_t WaitFor(const CanChannel &channel, short events, Clock::time_point deadline, int maxWaitMs) {
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left < 0) return QZHAL_CAN_TIMED_OUT;
        int wait = static_cast<int>(std::min<int64_t>(left, maxWaitMs));
        pollfd fds[2] = {{channel.socket, events, 0}, {channel.closeEvent, POLLIN, 0}};
        int ready = poll(fds, 2, wait);
        if (ready < 0 && errno == EINTR) continue;
        if (fds[1].revents) return QZHAL_CAN_CLOSED;
        if (ready != 0 || wait < left) return 0;
        if (left == 0) return QZHAL_CAN_TIMED_OUT;
    }
}

std::string ErrorText(int32_t code) {
    return code == QZHAL_CAN_TIMED_OUT ? "timed out" : code == QZHAL_CAN_CLOSED ? "channel closed while waiting" : "failed";
}

// The channel, open and configured for transfers; else null, with error
// code 2 stored and the reason given.
CanChannel *ChannelForTransfer(CanChannels &channels, int32_t number, int32_t *err, Why &why) {
    CanChannel *channel = Find(channels, number, why);
    if (channel && (!channel->modeSet || !channel->messageSet)) {
        why = ChannelName(number) + " is not configured";
        channel = nullptr;
    }
    if (!channel) Fail(err, QZHAL_CAN_NOT_READY, why, why);
    return channel;
}

can_frame FrameToWrite(const CanChannel &channel, const uint8_t *data, int32_t count) {
    can_frame frame{};
    frame.can_id = static_cast<canid_t>(channel.id);
    if (channel.mode == kModeExtended) frame.can_id |= CAN_EFF_FLAG;
    if (channel.kind == 1) frame.can_id |= CAN_RTR_FLAG;
    frame.len = static_cast<uint8_t>(count);
    if (channel.kind == 0 && count > 0) std::memcpy(frame.data, data, static_cast<size_t>(count));
    return frame;
}

int32_t WriteFrame(int32_t number, const uint8_t *data, int32_t count, int32_t *err, Why &why) {
    CanChannels &channels = Channels();
    Lock lock(channels.mutex);
    CanChannel *channel = ChannelForTransfer(channels, number, err, why);
    if (!channel) return 0;
    if (count < 0 || count > kMaxData || (channel->kind == 0 && count > 0 && !data))
        return Fail(err, QZHAL_CAN_BAD_LENGTH, why, "length must be 0 to 8");
    can_frame frame = FrameToWrite(*channel, data, count);
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(channel->timeoutMs);
    Transfer transfer(channels, *channel);
    lock.unlock();
    for (;;) {
        if (write(channel->socket, &frame, sizeof frame) == static_cast<ssize_t>(sizeof frame)) return 1;
        if (errno != EAGAIN && errno != ENOBUFS && errno != EINTR)
            return Fail(err, QZHAL_CAN_TIMED_OUT, why, SystemError("cannot send on " + channel->interface));
        // A full queue: wait out the retry interval, only a close ends it.
        int32_t code = errno == ENOBUFS
                           ? WaitFor(*channel, 0, deadline, static_cast<int>(kQueueFullRetry.count()))
                           : WaitFor(*channel, POLLOUT, deadline, INT32_MAX);
        if (code != 0) return Fail(err, code, why, ErrorText(code));
    }
}

void StoreFrame(CanChannel &channel, const can_frame &frame, uint8_t *data, int32_t count) {
    bool remote = (frame.can_id & CAN_RTR_FLAG) != 0;
    size_t stored = remote ? 0 : std::min<size_t>(static_cast<size_t>(count), std::min<size_t>(frame.len, kMaxData));
    if (stored > 0) std::memcpy(data, frame.data, stored);
    channel.lastRead = frame;
    channel.hasLastRead = true;
}

int32_t ReadFrame(int32_t number, uint8_t *data, int32_t count, int32_t *err, Why &why) {
    CanChannels &channels = Channels();
    Lock lock(channels.mutex);
    CanChannel *channel = ChannelForTransfer(channels, number, err, why);
    if (!channel) return 0;
    if (count < 0 || (count > 0 && !data)) return Fail(err, QZHAL_CAN_BAD_LENGTH, why, "bad length");
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(channel->timeoutMs);
    Transfer transfer(channels, *channel);
    lock.unlock();
    for (;;) {
        can_frame frame;
        ssize_t got = recv(channel->socket, &frame, sizeof frame, 0);
        if (got == static_cast<ssize_t>(sizeof frame)) {
            std::lock_guard<std::mutex> relock(channels.mutex);
            if (!Accepts(*channel, frame)) continue;
            StoreFrame(*channel, frame, data, count);
            return 1;
        }
        if (got < 0 && errno != EAGAIN && errno != EINTR)
            return Fail(err, QZHAL_CAN_TIMED_OUT, why, SystemError("cannot receive on " + channel->interface));
        int32_t code = WaitFor(*channel, POLLIN, deadline, INT32_MAX);
        if (code != 0) return Fail(err, code, why, ErrorText(code));
    }
}

int32_t MessageParameters(int32_t number, int32_t *id, int32_t *kind, int32_t *length, int32_t *prio,
                          int32_t *timeoutMs, int32_t *buffer, uint8_t *data, Why &why) {
    CanChannels &channels = Channels();
    Lock lock(channels.mutex);
    CanChannel *channel = Find(channels, number, why);
    if (!channel) return 0;
    if (!channel->hasLastRead) return Refuse(why, "no frame read since the channel was opened");
    const can_frame &frame = channel->lastRead;
    bool remote = (frame.can_id & CAN_RTR_FLAG) != 0;
    bool extended = (frame.can_id & CAN_EFF_FLAG) != 0;
    if (id) *id = static_cast<int32_t>(frame.can_id & (extended ? CAN_EFF_MASK : CAN_SFF_MASK));
    if (kind) *kind = remote ? 1 : 0;
    if (length) *length = std::min<int32_t>(frame.len, kMaxData);
    if (prio) *prio = channel->prio;
    if (timeoutMs) *timeoutMs = channel->timeoutMs;
    if (buffer) *buffer = channel->buffer;
    if (data && !remote) std::memcpy(data, frame.data, std::min<size_t>(frame.len, kMaxData));
    return 1;
}

// The data bytes a CANWrite call is handed, as the trace shows them: none
// for a remote frame, else `count` of them but never more than a frame
// holds: a larger count is refused, and its bytes may not all be there.
size_t WriteBytesHanded(int32_t number, const uint8_t *data, int32_t count) {
    if (!data || count <= 0) return 0;
    CanChannels &channels = Channels();
    std::lock_guard<std::mutex> lock(channels.mutex);
    auto found = channels.open.find(number);
    if (found != channels.open.end() && found->second.messageSet && found->second.kind == 1) return 0;
    return static_cast<size_t>(std::min(count, kMaxData));
}

}  // namespace

extern "C" {

int32_t QZHAL_CALL CANOpen(int32_t channel) {
    return LinuxCall("CANOpen", TraceArgs().Int(channel), 0, [&](Why &why) { return Open(channel, why); });
}

int32_t QZHAL_CALL CANClose(int32_t channel) {
    return LinuxCall("CANClose", TraceArgs().Int(channel), 0, [&](Why &why) { return Close(channel, why); });
}

// The two options have no meaning on Linux.
int32_t QZHAL_CALL CANConfigureMode(int32_t channel, int32_t mode, uint32_t bitRate, int32_t option1,
                         int32_t option2) {
    return LinuxCall("CANConfigureMode",
                     TraceArgs().Int(channel).Int(mode).Unsigned(bitRate).Int(option1).Int(option2), 0,
                     [&](Why &why) { return ConfigureMode(channel, mode, bitRate, why); });
}

int32_t QZHAL_CALL CANConfigureMessage(int32_t channel, int32_t kind, int32_t id, int32_t prio,
                            int32_t timeoutMs, int32_t buffer) {
    return LinuxCall("CANConfigureMessage",
                     TraceArgs().Int(channel).Int(kind).Int(id).Int(prio).Int(timeoutMs).Int(buffer), 0,
                     [&](Why &why) { return ConfigureMessage(channel, kind, id, prio, timeoutMs, buffer, why); });
}

int32_t QZHAL_CALL CANConfigureFilter(int32_t channel, int32_t id, int32_t mask, int32_t option,
                           int32_t remote) {
    return LinuxCall("CANConfigureFilter", TraceArgs().Int(channel).Int(id).Int(mask).Int(option).Int(remote), 0,
                     [&](Why &why) {
                         if (!IsZeroOrOne(remote)) return Refuse(why, "remote must be 0 or 1");
                         return SetFilter(channel, static_cast<uint32_t>(id), static_cast<uint32_t>(mask),
                                          remote == 1, why);
                     });
}

int32_t QZHAL_CALL CANResetFilter(int32_t channel) {
    return LinuxCall("CANResetFilter", TraceArgs().Int(channel), 0,
                     [&](Why &why) { return SetFilter(channel, 0, 0, false, why); });
}

int32_t QZHAL_CALL CANWrite(int32_t channel, uint8_t *data, int32_t count, int32_t *err) {
    return LinuxCall("CANWrite",
                     TraceArgs().Int(channel).Bytes(data, WriteBytesHanded(channel, data, count)).Int(count).Pointer(err),
                     0, [&](Why &why) { return WriteFrame(channel, data, count, err, why); });
}

int32_t QZHAL_CALL CANRead(int32_t channel, uint8_t *data, int32_t count, int32_t *err) {
    return LinuxCall("CANRead", TraceArgs().Int(channel).Pointer(data).Int(count).Pointer(err), 0,
                     [&](Why &why) { return ReadFrame(channel, data, count, err, why); });
}

int32_t QZHAL_CALL CANGetMessageParameter(int32_t channel, int32_t *id, int32_t *kind, int32_t *length,
                               int32_t *prio, int32_t *timeoutMs, int32_t *buffer,
                               uint8_t *data) {
    return LinuxCall("CANGetMessageParameter",
                     TraceArgs().Int(channel).Pointer(id).Pointer(kind).Pointer(length).Pointer(prio)
                         .Pointer(timeoutMs).Pointer(buffer).Pointer(data),
                     0, [&](Why &why) {
                         return MessageParameters(channel, id, kind, length, prio, timeoutMs, buffer, data, why);
                     });
}

}  // extern "C"
