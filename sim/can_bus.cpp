// Bus time and the peer node on the simulated CAN bus.
#include "can_bus.h"

#include <algorithm>
#include <thread>

namespace {

using std::chrono::milliseconds;

constexpr uint32_t kPeerDataId = 0x25;
constexpr uint32_t kPeerRemoteId = 0x26;
constexpr uint8_t kPeerRemoteLength = 2;
constexpr milliseconds kPeerDataPeriod{100};
constexpr milliseconds kPeerRemotePeriod{500};
constexpr milliseconds kPeerEchoDelay{1};

// Frames the peer may owe: more would mean the bus ran faster than itself.
constexpr size_t kMaxPendingEchoes = 64;
// Receive FIFO of channel 1; further frames are lost (overrun).
constexpr size_t kMaxReceivedFrames = 64;

// Bits of a frame outside its data field: start of frame, arbitration and
// control fields, CRC, acknowledge, end of frame and the interframe space.
constexpr uint64_t kStandardFrameBits = 47;
constexpr uint64_t kExtendedFrameBits = 67;

CanFrame PeerDataFrame(uint8_t counter) {
    CanFrame frame;
    frame.id = kPeerDataId;
    frame.length = kCanMaxData;
    const uint8_t data[kCanMaxData] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, counter};
    std::copy(data, data + kCanMaxData, frame.data);
    return frame;
}

CanFrame PeerRemoteFrame() {
    CanFrame frame;
    frame.id = kPeerRemoteId;
    frame.remote = true;
    frame.length = kPeerRemoteLength;
    return frame;
}

// The next time of a periodic frame after `now`. Periods missed while the
// process stood still are skipped rather than sent in a burst.
CanClock::time_point NextPeriod(CanClock::time_point last, milliseconds period, CanClock::time_point now) {
    CanClock::time_point next = last + period;
    while (next <= now) next += period;
    return next;
}

// The frame the peer sends now, or false when nothing is due yet; `due` is
// then the time of its next frame.
bool TakeDuePeerFrame(CanBus &bus, CanClock::time_point now, CanClock::time_point &nextData,
                      CanClock::time_point &nextRemote, uint8_t &counter, CanFrame &frame,
                      CanClock::time_point &due) {
    if (!bus.echoes.empty() && bus.echoes.front().due <= now) {
        frame = bus.echoes.front().frame;
        bus.echoes.pop_front();
        return true;
    }
    if (nextData <= now) {
        frame = PeerDataFrame(counter++);
        nextData = NextPeriod(nextData, kPeerDataPeriod, now);
        return true;
    }
    if (nextRemote <= now) {
        frame = PeerRemoteFrame();
        nextRemote = NextPeriod(nextRemote, kPeerRemotePeriod, now);
        return true;
    }
    due = std::min(nextData, nextRemote);
    if (!bus.echoes.empty()) due = std::min(due, bus.echoes.front().due);
    return false;
}

// The peer node: a data frame every 100 ms, a remote frame every 500 ms, and
// an echo of every data frame it receives, each taking its time on the bus.
void RunCanPeer(CanBus &bus) {
    std::unique_lock<std::mutex> lock(bus.mutex);
    CanClock::time_point start = CanClock::now();
    CanClock::time_point nextData = start + kPeerDataPeriod;
    CanClock::time_point nextRemote = start + kPeerRemotePeriod;
    uint8_t counter = 0;
    for (;;) {
        CanClock::time_point now = CanClock::now();
        CanFrame frame;
        CanClock::time_point due;
        if (!TakeDuePeerFrame(bus, now, nextData, nextRemote, counter, frame, due)) {
            bus.peerChanged.wait_until(lock, due);
            continue;
        }
        CanClock::time_point end = ReserveCanBus(bus, frame, now) + CanFrameTime(bus, frame);
        while (CanClock::now() < end) bus.peerChanged.wait_until(lock, end);
        CanChannelReceive(bus, frame);
    }
}

}  // namespace

CanBus &TheCanBus() {
    static CanBus &bus = *new CanBus;
    return bus;
}

CanClock::duration CanFrameTime(const CanBus &bus, const CanFrame &frame) {
    uint64_t bits = frame.extended ? kExtendedFrameBits : kStandardFrameBits;
    if (!frame.remote) bits += 8u * frame.length;
    return std::chrono::duration_cast<CanClock::duration>(std::chrono::nanoseconds(bits * 1000000000ull / bus.bitRate));
}

CanClock::time_point ReserveCanBus(CanBus &bus, const CanFrame &frame, CanClock::time_point earliest) {
    CanClock::time_point start = std::max(earliest, bus.busFreeAt);
    bus.busFreeAt = start + CanFrameTime(bus, frame);
    return start;
}

void StartCanPeer(CanBus &bus) {
    if (bus.peerStarted) return;
    bus.peerStarted = true;
    // Detached: the peer runs until the process ends, like the node it
    // stands for.
    std::thread(RunCanPeer, std::ref(bus)).detach();
}

void CanPeerReceive(CanBus &bus, const CanFrame &frame, CanClock::time_point end) {
    if (frame.remote || bus.echoes.size() >= kMaxPendingEchoes) return;
    bus.echoes.push_back({end + kPeerEchoDelay, frame});
    bus.peerChanged.notify_one();
}

bool CanFilterAccepts(const CanChannel &channel, const CanFrame &frame) {
    return frame.remote == channel.filterRemote &&
           (frame.id & channel.filterMask) == (channel.filterId & channel.filterMask);
}

void CanChannelReceive(CanBus &bus, const CanFrame &frame) {
    CanChannel &channel = bus.channel;
    if (!channel.open || !channel.modeSet || !CanFilterAccepts(channel, frame)) return;
    if (channel.received.size() >= kMaxReceivedFrames) return;
    channel.received.push_back(frame);
    bus.nodeChanged.notify_all();
}
