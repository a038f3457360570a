// Serial ports over termios. The port opens raw with 8 data bits, no parity
// and one stop bit at the given rate and flow control; UARTConfigure sets the
// whole line. Reads wait up to 500 ms in all for the count; a write returns
// once its bytes have left the port, or fails after the time they need plus
// 500 ms (with RTS/CTS flow control: the peer never asserted CTS), dropping
// what is left so that it is not sent later.
//
// Each port has a lock for its reads and one for its writes, so a transfer
// waits only for one in the same direction on the same port. UARTClose
// signals the port's close event, which ends its waiting transfers at once,
// and waits for them to leave before it closes the device.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <poll.h>
#include <set>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "../hal/QZHalLib.h"
#include "board_map_load.h"
#include "device_files.h"
#include "linux_call.h"
#include "uart_line.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t kMaxReadCount = 4096;
constexpr auto kReadTimeout = std::chrono::milliseconds(500);
constexpr auto kWriteSlack = std::chrono::milliseconds(500);
constexpr auto kDrainPoll = std::chrono::milliseconds(2);

struct UartPort {
    int fd = -1;
    int closeEvent = -1;
    // Taken by each read, each write, and both by UARTConfigure and
    // UARTClose; they guard what follows.
    std::mutex reading, writing;
    bool configured = false;
    bool closed = false;
    UartLine line;

    UartPort() = default;
    UartPort(const UartPort &) = delete;
    UartPort &operator=(const UartPort &) = delete;
    ~UartPort() { CloseDescriptors(); }
    void CloseDescriptors() {
        if (fd >= 0) close(fd);
        if (closeEvent >= 0) close(closeEvent);
        fd = closeEvent = -1;
    }
};

using PortHandle = std::shared_ptr<UartPort>;

// The table of ports. Its lock guards the table only: a port is opened and
// configured outside it, so that a slow device holds up no other port.
struct UartPorts {
    std::mutex mutex;
    std::map<int32_t, PortHandle> open;  // by port number
    std::set<int32_t> opening;           // claimed by a UARTOpen under way
};

UartPorts &Ports() {
    static UartPorts &ports = *new UartPorts;
    return ports;
}

std::string PortName(int32_t port) { return "UART port " + std::to_string(port); }

int MillisecondsUntil(Clock::time_point when) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now()).count();
    return static_cast<int>(std::max<int64_t>(left, 0));
}

// The open port; null with the reason in `why`.
PortHandle OpenPort(int32_t port, Why &why) {
    UartPorts &ports = Ports();
    std::lock_guard<std::mutex> lock(ports.mutex);
    auto found = ports.open.find(port);
    if (found != ports.open.end()) return found->second;
    why = PortName(port) + " is not open";
    return nullptr;
}

// Whether the port, locked for a transfer, can take one; else the reason.
bool ReadyForTransfer(const UartPort &uart, int32_t port, Why &why) {
    if (uart.closed) return Refuse(why, PortName(port) + " is not open", false);
    if (!uart.configured) return Refuse(why, PortName(port) + " is not configured", false);
    return true;
}

// Waits up to `ms` for `events` on the port (none: only for the close
// event); returns the poll result, and sets `closed` when the port closes
// and `*hungUp`, if given, when the port's device is gone.
int WaitFor(const UartPort &uart, short events, int ms, bool &closed, bool *hungUp = nullptr) {
    pollfd fds[2] = {{uart.fd, events, 0}, {uart.closeEvent, POLLIN, 0}};
    int ready = poll(fds, 2, ms);
    closed = ready > 0 && fds[1].revents != 0;
    if (hungUp) *hungUp = ready > 0 && (fds[0].revents & (POLLHUP | POLLERR)) != 0;
    return ready;
}

// What a driver made of a rate it cannot run exactly, for the trace.
std::string RateNote(const UartLine &line, uint32_t rateInUse) {
    if (rateInUse == static_cast<uint32_t>(line.baud)) return "";
    return "the port runs at " + std::to_string(rateInUse) + " bit/s, the nearest rate its clock allows";
}

// The port's number claimed in the table while it is being opened: no
// other UARTOpen takes it, and no other call sees it before it is ready.
class OpeningClaim {
public:
    OpeningClaim(UartPorts &ports, int32_t port) : ports_(ports), port_(port) {}
    ~OpeningClaim() {
        if (!claimed_) return;
        std::lock_guard<std::mutex> lock(ports_.mutex);
        ports_.opening.erase(port_);
        if (opened_) ports_.open[port_] = opened_;
    }
    OpeningClaim(const OpeningClaim &) = delete;
    OpeningClaim &operator=(const OpeningClaim &) = delete;

    // False with the reason when the port is open or being opened.
    bool Claim(Why &why) {
        std::lock_guard<std::mutex> lock(ports_.mutex);
        if (ports_.open.count(port_) || ports_.opening.count(port_))
            return Refuse(why, PortName(port_) + " is already open", false);
        ports_.opening.insert(port_);
        claimed_ = true;
        return true;
    }
    // Puts the opened port into the table when the claim ends.
    void Opened(PortHandle uart) { opened_ = std::move(uart); }

private:
    UartPorts &ports_;
    int32_t port_;
    bool claimed_ = false;
    PortHandle opened_;
};

int32_t Open(int32_t port, int32_t flow, int32_t baud, Why &why) {
    UartLine line;
    line.flow = flow;
    line.baud = baud;
    std::string problem = UartLineProblem(line);
    if (!problem.empty()) return Refuse(why, problem);
    OpeningClaim claim(Ports(), port);
    if (!claim.Claim(why)) return 0;
    PortHandle uart = std::make_shared<UartPort>();
    uint32_t rateInUse = 0;
    uart->fd = OpenMappedDevice(TheBoardMap().uart, "uart", port, O_RDWR | O_NOCTTY | O_NONBLOCK, why);
    if (uart->fd < 0 || !ApplyUartLine(uart->fd, line, rateInUse, why)) return 0;
    uart->closeEvent = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (uart->closeEvent < 0) return Refuse(why, SystemError("cannot make the close event"));
    uart->line = line;
    claim.Opened(uart);
    why = RateNote(line, rateInUse);
    return 1;
}

int32_t Configure(int32_t port, const UartLine &line, Why &why) {
    std::string problem = UartLineProblem(line);
    if (!problem.empty()) return Refuse(why, problem);
    PortHandle uart = OpenPort(port, why);
    if (!uart) return 0;
    std::scoped_lock lock(uart->reading, uart->writing);
    if (uart->closed) return Refuse(why, PortName(port) + " is not open");
    uint32_t rateInUse = 0;
    if (!ApplyUartLine(uart->fd, line, rateInUse, why)) return 0;
    uart->line = line;
    uart->configured = true;
    why = RateNote(line, rateInUse);
    return 1;
}

// Bytes still waiting in the port's output; 0 when the driver cannot tell.
int Unsent(int fd) {
    int waiting = 0;
    return ioctl(fd, TIOCOUTQ, &waiting) == 0 ? waiting : 0;
}

// False with errno set: ETIMEDOUT, ECANCELED when the port was closed.
bool SendAll(const UartPort &uart, const char *text, size_t length, Clock::time_point deadline) {
    size_t done = 0;
    bool closed = false;
    while (done < length) {
        ssize_t wrote = write(uart.fd, text + done, length - done);
        if (wrote > 0) {
            done += static_cast<size_t>(wrote);
            continue;
        }
        if (wrote < 0 && errno != EAGAIN && errno != EINTR) return false;
        if (Clock::now() >= deadline || WaitFor(uart, POLLOUT, MillisecondsUntil(deadline), closed) == 0 || closed) {
            errno = closed ? ECANCELED : ETIMEDOUT;
            return false;
        }
    }
    while (Unsent(uart.fd) > 0) {
        if (Clock::now() >= deadline) {
            errno = ETIMEDOUT;
            return false;
        }
        WaitFor(uart, 0, static_cast<int>(kDrainPoll.count()), closed);
        if (closed) {
            errno = ECANCELED;
            return false;
        }
    }
    return true;
}

int32_t Write(int32_t port, const char *text, Why &why) {
    if (!text) return Refuse(why, "no text");
    PortHandle uart = OpenPort(port, why);
    if (!uart) return 0;
    std::lock_guard<std::mutex> lock(uart->writing);
    if (!ReadyForTransfer(*uart, port, why)) return 0;
    size_t length = std::strlen(text);
    Clock::time_point deadline = Clock::now() + UartSendTime(uart->line, length) + kWriteSlack;
    if (SendAll(*uart, text, length, deadline)) return 1;
    int error = errno;
    tcflush(uart->fd, TCOFLUSH);
    if (error == ECANCELED) return Refuse(why, PortName(port) + " closed while writing");
    if (error == ETIMEDOUT && uart->line.flow == 2)
        return Refuse(why, PortName(port) + ": not sent in time, CTS not asserted");
    errno = error;
    return Refuse(why, SystemError(PortName(port) + ": write failed"));
}

// Reads up to `count` bytes within 500 ms; the NUL follows what came.
int32_t Read(int32_t port, int32_t count, char *buffer, Why &why) {
    if (count < 1 || count > kMaxReadCount) return Refuse(why, "count must be 1 to 4096");
    if (!buffer) return Refuse(why, "no buffer");
    PortHandle uart = OpenPort(port, why);
    if (!uart) return 0;
    std::lock_guard<std::mutex> lock(uart->reading);
    if (!ReadyForTransfer(*uart, port, why)) return 0;
    size_t wanted = static_cast<size_t>(count), got = 0;
    Clock::time_point deadline = Clock::now() + kReadTimeout;
    // A port whose device is gone (an unplugged adapter, a driver unbound)
    // is hung up: poll returns at once and reads return nothing. It fails
    // the read once what was left has been read, rather than being polled
    // until the time is up.
    bool hungUp = false;
    bool closed = false;
    while (got < wanted) {
        ssize_t read = ::read(uart->fd, buffer + got, wanted - got);
        if (read > 0) {
            got += static_cast<size_t>(read);
            continue;
        }
        if (read < 0 && errno != EAGAIN && errno != EINTR) {
            buffer[got] = '\0';
            return Refuse(why, SystemError(PortName(port) + ": read failed"));
        }
        if (hungUp) {
            buffer[got] = '\0';
            return Refuse(why, PortName(port) + " hung up: its device is gone");
        }
        if (Clock::now() >= deadline ||
            WaitFor(*uart, POLLIN, MillisecondsUntil(deadline), closed, &hungUp) == 0 || closed)
            break;
    }
    buffer[got] = '\0';
    if (closed) return Refuse(why, PortName(port) + " closed while reading");
    if (got < wanted)
        return Refuse(why, std::to_string(got) + " of " + std::to_string(wanted) + " bytes came within 500 ms");
    return 1;
}

int32_t Close(int32_t port, Why &why) {
    PortHandle uart;
    {
        UartPorts &ports = Ports();
        std::lock_guard<std::mutex> lock(ports.mutex);
        auto found = ports.open.find(port);
        if (found == ports.open.end()) return Refuse(why, PortName(port) + " is not open");
        uart = found->second;
        ports.open.erase(found);
    }
    uint64_t one = 1;
    while (write(uart->closeEvent, &one, sizeof one) < 0 && errno == EINTR) {
    }
    std::scoped_lock lock(uart->reading, uart->writing);
    uart->closed = true;
    uart->CloseDescriptors();
    return 1;
}

}  // namespace

extern "C" {

int32_t QZHAL_CALL UARTOpen(int32_t port, int32_t flow, int32_t baud) {
    return LinuxCall("UARTOpen", TraceArgs().Int(port).Int(flow).Int(baud), 0,
                     [&](Why &why) { return Open(port, flow, baud, why); });
}

int32_t QZHAL_CALL UARTConfigure(int32_t port, int32_t flow, int32_t parity, int32_t stopBits,
                      int32_t byteSize, int32_t baud) {
    return LinuxCall("UARTConfigure",
                     TraceArgs().Int(port).Int(flow).Int(parity).Int(stopBits).Int(byteSize).Int(baud), 0,
                     [&](Why &why) {
                         UartLine line{flow, parity, stopBits, byteSize, baud};
                         return Configure(port, line, why);
                     });
}

int32_t QZHAL_CALL UARTWrite(int32_t port, const char *text) {
    return LinuxCall("UARTWrite", TraceArgs().Int(port).Text(text), 0,
                     [&](Why &why) { return Write(port, text, why); });
}

int32_t QZHAL_CALL UARTRead(int32_t port, int32_t count, char *buffer) {
    return LinuxCall("UARTRead", TraceArgs().Int(port).Int(count).Pointer(buffer), 0,
                     [&](Why &why) { return Read(port, count, buffer, why); });
}

int32_t QZHAL_CALL UARTClose(int32_t port) {
    return LinuxCall("UARTClose", TraceArgs().Int(port), 0, [&](Why &why) { return Close(port, why); });
}

}  // extern "C"
