// Serial ports of the simulated board.
//
// Port 1 has a loopback plug: what it sends comes back into its receive
// queue, which keeps its bytes across a close. Port 2 is wired to a terminal
// that sends "tick1", "tick2", ... one every 200 ms while the port is open,
// counting from 1 at every open. Port 3 has nothing attached: with hardware
// flow control its writes fail, as CTS is never asserted.
//
// The terminal needs no thread of its own: the ticks due since the port was
// opened are put into the queue whenever a call looks at the port, and a
// waiting read wakes up when the next one is due.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

#include "../hal/QZHalLib.h"
#include "sim_call.h"
#include "sim_reset.h"
#include "sim_wait.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t kPortCount = 3;
constexpr int32_t kLoopbackPort = 1;
constexpr int32_t kTerminalPort = 2;
constexpr int32_t kUnwiredPort = 3;

constexpr int32_t kMaxFlow = 2;
constexpr int32_t kHardwareFlow = 2;
constexpr int32_t kMinBaud = 1200;
constexpr int32_t kMaxBaud = 256000;
constexpr int32_t kMaxParity = 4;
constexpr int32_t kMaxStopBits = 2;
constexpr int32_t kMinByteSize = 5;
constexpr int32_t kMaxByteSize = 8;

constexpr int32_t kMaxReadCount = 4096;
// Bytes that arrive while the receive queue is full are lost (overrun).
constexpr size_t kReceiveQueueSize = 4096;
constexpr Clock::duration kReadTimeout = std::chrono::milliseconds(500);
constexpr Clock::duration kTickInterval = std::chrono::milliseconds(200);

struct UartPort {
    bool open = false;
    bool configured = false;
    int32_t flow = 0;
    int32_t byteSize = kMaxByteSize;
    std::deque<char> received;
    // The terminal's session on port 2: when it began, ticks sent so far.
    Clock::time_point sessionStart{};
    int64_t ticksSent = 0;
};

struct UartBoard {
    std::mutex mutex;
    std::condition_variable arrived;
    UartPort ports[kPortCount];
};

// Created on first use and never destroyed.
UartBoard &Board() {
    static UartBoard &board = *new UartBoard;
    return board;
}

bool KnownPort(int32_t port) { return port >= 1 && port <= kPortCount; }

bool ValidLine(int32_t flow, int32_t baud) {
    return flow >= 0 && flow <= kMaxFlow && baud >= kMinBaud && baud <= kMaxBaud;
}

bool ValidFrameFormat(int32_t parity, int32_t stopBits, int32_t byteSize) {
    return parity >= 0 && parity <= kMaxParity && stopBits >= 0 && stopBits <= kMaxStopBits &&
           byteSize >= kMinByteSize && byteSize <= kMaxByteSize;
}

// Characters keep only as many bits as the line carries.
void Receive(UartPort &port, const std::string &text) {
    const int mask = (1 << port.byteSize) - 1;
    for (char c : text) {
        if (port.received.size() >= kReceiveQueueSize) return;
        port.received.push_back(static_cast<char>(static_cast<unsigned char>(c) & mask));
    }
}

Clock::time_point NextTickTime(const UartPort &port) {
    return port.sessionStart + (port.ticksSent + 1) * kTickInterval;
}

void DeliverTicks(UartPort &port, int32_t number, Clock::time_point now) {
    if (number != kTerminalPort || !port.open) return;
    for (; NextTickTime(port) <= now;) Receive(port, "tick" + std::to_string(++port.ticksSent));
}

int32_t Open(int32_t number, int32_t flow, int32_t baud) {
    if (!KnownPort(number) || !ValidLine(flow, baud)) return 0;
    UartBoard &board = Board();
    std::lock_guard<std::mutex> lock(board.mutex);
    UartPort &port = board.ports[number - 1];
    if (port.open) return 0;
    port.open = true;
    port.configured = false;
    port.flow = flow;
    port.byteSize = kMaxByteSize;
    if (number == kTerminalPort) {
        // A new session: nothing of the last one is left waiting.
        port.received.clear();
        port.sessionStart = Clock::now();
        port.ticksSent = 0;
    }
    return 1;
}

int32_t Configure(int32_t number, int32_t flow, int32_t parity, int32_t stopBits, int32_t byteSize,
                  int32_t baud) {
    if (!KnownPort(number) || !ValidLine(flow, baud) || !ValidFrameFormat(parity, stopBits, byteSize)) return 0;
    UartBoard &board = Board();
    std::lock_guard<std::mutex> lock(board.mutex);
    UartPort &port = board.ports[number - 1];
    if (!port.open) return 0;
    port.configured = true;
    port.flow = flow;
    port.byteSize = byteSize;
    return 1;
}

int32_t Write(int32_t number, const char *text) {
    if (!KnownPort(number) || !text) return 0;
    UartBoard &board = Board();
    std::lock_guard<std::mutex> lock(board.mutex);
    UartPort &port = board.ports[number - 1];
    if (!port.open || !port.configured) return 0;
    if (number == kUnwiredPort && port.flow == kHardwareFlow) return 0;
    if (number == kLoopbackPort) {
        Receive(port, text);
        board.arrived.notify_all();
    }
    return 1;
}

int32_t Read(int32_t number, int32_t count, char *buffer) {
    if (!KnownPort(number) || count < 1 || count > kMaxReadCount || !buffer) return 0;
    UartBoard &board = Board();
    std::unique_lock<std::mutex> lock(board.mutex);
    UartPort &port = board.ports[number - 1];
    if (!port.open || !port.configured) return 0;
    const size_t wanted = static_cast<size_t>(count);
    const Clock::time_point deadline = Clock::now() + SimCappedWait(kReadTimeout);
    for (;;) {
        Clock::time_point now = Clock::now();
        DeliverTicks(port, number, now);
        if (port.received.size() >= wanted || now >= deadline || !port.open) break;
        Clock::time_point wake = deadline;
        if (number == kTerminalPort) wake = std::min(wake, NextTickTime(port));
        board.arrived.wait_until(lock, wake);
    }
    size_t taken = std::min(wanted, port.received.size());
    std::copy_n(port.received.begin(), taken, buffer);
    port.received.erase(port.received.begin(), port.received.begin() + static_cast<std::ptrdiff_t>(taken));
    buffer[taken] = '\0';
    return taken == wanted ? 1 : 0;
}

int32_t Close(int32_t number) {
    if (!KnownPort(number)) return 0;
    UartBoard &board = Board();
    std::lock_guard<std::mutex> lock(board.mutex);
    UartPort &port = board.ports[number - 1];
    if (!port.open) return 0;
    DeliverTicks(port, number, Clock::now());
    port.open = false;
    port.configured = false;
    board.arrived.notify_all();
    return 1;
}

}  // namespace

void SimUartReset() {
    UartBoard &board = Board();
    std::lock_guard<std::mutex> lock(board.mutex);
    for (UartPort &port : board.ports) port = UartPort{};
    board.arrived.notify_all();
}

extern "C" {

int32_t QZHAL_CALL UARTOpen(int32_t port, int32_t flow, int32_t baud) {
    return SimCall("UARTOpen", TraceArgs().Int(port).Int(flow).Int(baud), 0, [&] { return Open(port, flow, baud); });
}

int32_t QZHAL_CALL UARTConfigure(int32_t port, int32_t flow, int32_t parity, int32_t stopBits,
                      int32_t byteSize, int32_t baud) {
    return SimCall("UARTConfigure",
                   TraceArgs().Int(port).Int(flow).Int(parity).Int(stopBits).Int(byteSize).Int(baud), 0,
                   [&] { return Configure(port, flow, parity, stopBits, byteSize, baud); });
}

int32_t QZHAL_CALL UARTWrite(int32_t port, const char *text) {
    return SimCall("UARTWrite", TraceArgs().Int(port).Text(text), 0, [&] { return Write(port, text); });
}

int32_t QZHAL_CALL UARTRead(int32_t port, int32_t count, char *buffer) {
    return SimCall("UARTRead", TraceArgs().Int(port).Int(count).Pointer(buffer), 0,
                   [&] { return Read(port, count, buffer); });
}

int32_t QZHAL_CALL UARTClose(int32_t port) {
    return SimCall("UARTClose", TraceArgs().Int(port), 0, [&] { return Close(port); });
}

}  // extern "C"
