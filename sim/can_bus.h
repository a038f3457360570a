// The CAN bus of the simulated board: channel 1 of the board, one peer node,
// and the bus time both share. One mutex guards all of it.
#ifndef SIM_CAN_BUS_H
#define SIM_CAN_BUS_H

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

using CanClock = std::chrono::steady_clock;

constexpr size_t kCanMaxData = 8;

struct CanFrame {
    uint32_t id = 0;
    bool extended = false;
    bool remote = false;
    uint8_t length = 0;  // data length code; a remote frame carries no data bytes
    uint8_t data[kCanMaxData] = {};
};

// A frame the peer node sends back at `due`.
struct CanEcho {
    CanClock::time_point due;
    CanFrame frame;
};

// Channel 1 of the board as the library's calls set it up.
struct CanChannel {
    bool open = false;
    bool modeSet = false;
    bool messageSet = false;
    int32_t mode = 0;
    uint32_t bitRate = 0;
    int32_t kind = 0;
    int32_t id = 0;
    int32_t prio = 0;
    int32_t timeoutMs = 0;
    int32_t buffer = 0;
    // Acceptance filter: (frame id & mask) == (filterId & mask), and the
    // frame's kind matches filterRemote.
    uint32_t filterId = 0;
    uint32_t filterMask = 0;
    bool filterRemote = false;
    std::deque<CanFrame> received;
    bool hasLastRead = false;
    CanFrame lastRead;
    // Raised by every close, so that a call blocked in an earlier session
    // notices the close even when the channel has been opened again.
    uint64_t session = 0;
};

struct CanBus {
    std::mutex mutex;
    std::condition_variable nodeChanged;  // frame received, channel closed
    std::condition_variable peerChanged;  // echo queued for the peer
    CanChannel channel;
    // Bit rate of the bus: the one channel 1 was last configured with.
    uint32_t bitRate = 125000;
    CanClock::time_point busFreeAt{};
    std::deque<CanEcho> echoes;
    bool peerStarted = false;
};

// The one bus of the process; never destroyed, so that the peer node's
// thread never meets a destroyed bus at process exit.
CanBus &TheCanBus();

// The rest is called with the bus mutex held.

// Time a frame takes on the bus at the bus's bit rate (without bit stuffing).
CanClock::duration CanFrameTime(const CanBus &bus, const CanFrame &frame);

// Reserves the bus for one frame, no earlier than `earliest` and after every
// frame already on it; returns the moment the frame starts. The frame ends
// at the returned start plus CanFrameTime.
CanClock::time_point ReserveCanBus(CanBus &bus, const CanFrame &frame, CanClock::time_point earliest);

// Starts the peer node's thread on first need.
void StartCanPeer(CanBus &bus);

// The peer node has received a frame of channel 1 that ended at `end`.
void CanPeerReceive(CanBus &bus, const CanFrame &frame, CanClock::time_point end);

// Whether channel 1's filter accepts the frame.
bool CanFilterAccepts(const CanChannel &channel, const CanFrame &frame);

// Channel 1 has seen a frame of the peer node go by: queues it when the
// channel is open, configured and accepts it.
void CanChannelReceive(CanBus &bus, const CanFrame &frame);

#endif
