// CAN channel 1 of the simulated board: open/configure state, acceptance
// filter, transfers that take their bus time and wait up to the configured
// timeout, and a close that wakes the transfers blocked on the channel.
#include <algorithm>
#include <chrono>

#include "../hal/QZHalLib.h"
#include "can_bus.h"
#include "sim_call.h"
#include "sim_reset.h"
#include "sim_wait.h"

namespace {

constexpr int32_t kChannel = 1;

constexpr int32_t kModeStandard = 0;
constexpr int32_t kModeExtended = 1;
constexpr uint32_t kMinBitRate = 20000;
constexpr uint32_t kMaxBitRate = 1000000;
constexpr int32_t kMaxStandardId = 0x7FF;
constexpr int32_t kMaxExtendedId = 0x1FFFFFFF;
constexpr int32_t kMaxPrio = 255;

using Lock = std::unique_lock<std::mutex>;

bool IsZeroOrOne(int32_t value) { return value == 0 || value == 1; }

int32_t Fail(int32_t *err, int32_t code) {
    if (err) *err = code;
    return 0;
}

bool ReadyForTransfers(const CanChannel &channel) {
    return channel.open && channel.modeSet && channel.messageSet;
}

// Puts channel 1 in its power-on state: closed, unconfigured, every data
// frame accepted. Transfers blocked in the session that ends fail.
void CloseChannel(CanBus &bus) {
    uint64_t session = bus.channel.session + 1;
    bus.channel = CanChannel{};
    bus.channel.session = session;
    bus.nodeChanged.notify_all();
}

// Drops received frames the filter no longer accepts, so that a read after a
// filter change only sees frames the new filter lets through.
void ApplyFilter(CanChannel &channel) {
    auto &queue = channel.received;
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [&](const CanFrame &frame) { return !CanFilterAccepts(channel, frame); }),
                queue.end());
}

// The data bytes a CANWrite call is handed, as the trace shows them: none
// for a remote frame, else all `count` of them, also when there are more
// than a frame holds (the call then refuses them).
size_t WriteBytesHanded(const uint8_t *data, int32_t count) {
    if (!data || count <= 0) return 0;
    CanBus &bus = TheCanBus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    if (bus.channel.messageSet && bus.channel.kind == 1) return 0;
    return static_cast<size_t>(count);
}

CanFrame FrameToWrite(const CanChannel &channel, const uint8_t *data, int32_t count) {
    CanFrame frame;
    frame.id = static_cast<uint32_t>(channel.id);
    frame.extended = channel.mode == kModeExtended;
    frame.remote = channel.kind == 1;
    frame.length = static_cast<uint8_t>(count);
    if (!frame.remote) std::copy(data, data + count, frame.data);
    return frame;
}

// Waits until `until` unless the session ends first; false when it did.
bool WaitInSession(CanBus &bus, Lock &lock, uint64_t session, CanClock::time_point until) {
    while (bus.channel.session == session && CanClock::now() < until) bus.nodeChanged.wait_until(lock, until);
    return bus.channel.session == session;
}

int32_t WriteFrame(const uint8_t *data, int32_t count, int32_t *err) {
    CanBus &bus = TheCanBus();
    Lock lock(bus.mutex);
    CanChannel &channel = bus.channel;
    if (!ReadyForTransfers(channel)) return Fail(err, QZHAL_CAN_NOT_READY);
    if (count < 0 || count > static_cast<int32_t>(kCanMaxData)) return Fail(err, QZHAL_CAN_BAD_LENGTH);
    if (channel.kind == 0 && count > 0 && !data) return Fail(err, QZHAL_CAN_BAD_LENGTH);
    CanFrame frame = FrameToWrite(channel, data, count);
    CanClock::time_point now = CanClock::now();
    // The frame waits for the bus no longer than the timeout; then it takes
    // its own time on the bus.
    if (bus.busFreeAt > now + SimCappedWait(std::chrono::milliseconds(channel.timeoutMs)))
        return Fail(err, QZHAL_CAN_TIMED_OUT);
    CanClock::time_point end = ReserveCanBus(bus, frame, now) + CanFrameTime(bus, frame);
    if (!WaitInSession(bus, lock, channel.session, end)) return Fail(err, QZHAL_CAN_CLOSED);
    CanPeerReceive(bus, frame, end);
    return 1;
}

int32_t ReadFrame(uint8_t *data, int32_t count, int32_t *err) {
    CanBus &bus = TheCanBus();
    Lock lock(bus.mutex);
    CanChannel &channel = bus.channel;
    if (!ReadyForTransfers(channel)) return Fail(err, QZHAL_CAN_NOT_READY);
    if (count < 0 || (count > 0 && !data)) return Fail(err, QZHAL_CAN_BAD_LENGTH);
    uint64_t session = channel.session;
    CanClock::time_point deadline = CanClock::now() + SimCappedWait(std::chrono::milliseconds(channel.timeoutMs));
    while (channel.session == session && channel.received.empty() && CanClock::now() < deadline)
        bus.nodeChanged.wait_until(lock, deadline);
    if (channel.session != session) return Fail(err, QZHAL_CAN_CLOSED);
    if (channel.received.empty()) return Fail(err, QZHAL_CAN_TIMED_OUT);
    CanFrame frame = channel.received.front();
    channel.received.pop_front();
    size_t stored = frame.remote ? 0 : std::min(static_cast<size_t>(count), static_cast<size_t>(frame.length));
    std::copy(frame.data, frame.data + stored, data);
    channel.lastRead = frame;
    channel.hasLastRead = true;
    return 1;
}

template <typename Body>
int32_t WithOpenChannel(int32_t channelNumber, Body body) {
    if (channelNumber != kChannel) return 0;
    CanBus &bus = TheCanBus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    if (!bus.channel.open) return 0;
    return body(bus, bus.channel);
}

bool ValidMessage(const CanChannel &channel, int32_t kind, int32_t id, int32_t prio, int32_t timeoutMs,
                  int32_t buffer) {
    int32_t maxId = channel.mode == kModeExtended ? kMaxExtendedId : kMaxStandardId;
    return IsZeroOrOne(kind) && id >= 0 && id <= maxId && prio >= 0 && prio <= kMaxPrio && timeoutMs >= 0 &&
           IsZeroOrOne(buffer);
}

}  // namespace

void SimCanReset() {
    CanBus &bus = TheCanBus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    CloseChannel(bus);
}

extern "C" {

int32_t QZHAL_CALL CANOpen(int32_t channel) {
    return SimCall("CANOpen", TraceArgs().Int(channel), 0, [&] {
        if (channel != kChannel) return 0;
        CanBus &bus = TheCanBus();
        std::lock_guard<std::mutex> lock(bus.mutex);
        if (bus.channel.open) return 0;
        bus.channel.open = true;
        StartCanPeer(bus);
        return 1;
    });
}

int32_t QZHAL_CALL CANClose(int32_t channel) {
    return SimCall("CANClose", TraceArgs().Int(channel), 0, [&] {
        return WithOpenChannel(channel, [](CanBus &bus, CanChannel &) {
            CloseChannel(bus);
            return 1;
        });
    });
}

int32_t QZHAL_CALL CANConfigureMode(int32_t channel, int32_t mode, uint32_t bitRate, int32_t option1,
                         int32_t option2) {
    return SimCall("CANConfigureMode",
                   TraceArgs().Int(channel).Int(mode).Unsigned(bitRate).Int(option1).Int(option2), 0, [&] {
        return WithOpenChannel(channel, [&](CanBus &bus, CanChannel &state) {
            if ((mode != kModeStandard && mode != kModeExtended) || bitRate < kMinBitRate || bitRate > kMaxBitRate)
                return 0;
            state.mode = mode;
            state.bitRate = bitRate;
            state.modeSet = true;
            // A message whose ID the new mode cannot carry must be configured
            // again before the next transfer.
            if (state.messageSet && state.id > (mode == kModeExtended ? kMaxExtendedId : kMaxStandardId))
                state.messageSet = false;
            bus.bitRate = bitRate;
            return 1;
        });
    });
}

int32_t QZHAL_CALL CANConfigureMessage(int32_t channel, int32_t kind, int32_t id, int32_t prio,
                            int32_t timeoutMs, int32_t buffer) {
    return SimCall("CANConfigureMessage",
                   TraceArgs().Int(channel).Int(kind).Int(id).Int(prio).Int(timeoutMs).Int(buffer), 0, [&] {
        return WithOpenChannel(channel, [&](CanBus &, CanChannel &state) {
            if (!state.modeSet || !ValidMessage(state, kind, id, prio, timeoutMs, buffer)) return 0;
            state.kind = kind;
            state.id = id;
            state.prio = prio;
            state.timeoutMs = timeoutMs;
            state.buffer = buffer;
            state.messageSet = true;
            return 1;
        });
    });
}

int32_t QZHAL_CALL CANConfigureFilter(int32_t channel, int32_t id, int32_t mask, int32_t option,
                           int32_t remote) {
    return SimCall("CANConfigureFilter",
                   TraceArgs().Int(channel).Int(id).Int(mask).Int(option).Int(remote), 0, [&] {
        return WithOpenChannel(channel, [&](CanBus &, CanChannel &state) {
            if (!IsZeroOrOne(remote)) return 0;
            state.filterId = static_cast<uint32_t>(id);
            state.filterMask = static_cast<uint32_t>(mask);
            state.filterRemote = remote == 1;
            ApplyFilter(state);
            return 1;
        });
    });
}

int32_t QZHAL_CALL CANResetFilter(int32_t channel) {
    return SimCall("CANResetFilter", TraceArgs().Int(channel), 0, [&] {
        return WithOpenChannel(channel, [](CanBus &, CanChannel &state) {
            state.filterId = 0;
            state.filterMask = 0;
            state.filterRemote = false;
            ApplyFilter(state);
            return 1;
        });
    });
}

int32_t QZHAL_CALL CANWrite(int32_t channel, uint8_t *data, int32_t count, int32_t *err) {
    return SimCall("CANWrite",
                   TraceArgs().Int(channel).Bytes(data, WriteBytesHanded(data, count)).Int(count).Pointer(err), 0,
                   [&] { return channel == kChannel ? WriteFrame(data, count, err) : Fail(err, QZHAL_CAN_NOT_READY); },
                   [&] { Fail(err, QZHAL_CAN_NOT_READY); });
}

int32_t QZHAL_CALL CANRead(int32_t channel, uint8_t *data, int32_t count, int32_t *err) {
    return SimCall("CANRead", TraceArgs().Int(channel).Pointer(data).Int(count).Pointer(err), 0,
                   [&] { return channel == kChannel ? ReadFrame(data, count, err) : Fail(err, QZHAL_CAN_NOT_READY); },
                   [&] { Fail(err, QZHAL_CAN_NOT_READY); });
}

int32_t QZHAL_CALL CANGetMessageParameter(int32_t channel, int32_t *id, int32_t *kind, int32_t *length,
                               int32_t *prio, int32_t *timeoutMs, int32_t *buffer,
                               uint8_t *data) {
    return SimCall("CANGetMessageParameter",
                   TraceArgs().Int(channel).Pointer(id).Pointer(kind).Pointer(length).Pointer(prio)
                       .Pointer(timeoutMs).Pointer(buffer).Pointer(data),
                   0, [&] {
        return WithOpenChannel(channel, [&](CanBus &, CanChannel &state) {
            if (!state.hasLastRead) return 0;
            const CanFrame &frame = state.lastRead;
            if (id) *id = static_cast<int32_t>(frame.id);
            if (kind) *kind = frame.remote ? 1 : 0;
            if (length) *length = frame.length;
            if (prio) *prio = state.prio;
            if (timeoutMs) *timeoutMs = state.timeoutMs;
            if (buffer) *buffer = state.buffer;
            if (data && !frame.remote) std::copy(frame.data, frame.data + frame.length, data);
            return 1;
        });
    });
}

}  // extern "C"
