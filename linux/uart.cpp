// Serial ports over termios. The port opens raw with 8 data bits, no parity
// and one stop bit at the given rate and flow control; UARTConfigure sets the
// whole line. Reads wait up to 500 ms in all for the count; a write returns
// once its bytes have left the port, or fails after the time they need plus
// 500 ms (with RTS/CTS flow control: the peer never asserted CTS), dropping
// what is left so that it is not sent later.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
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
    bool configured = false;
    UartLine line;
};

struct UartPorts {
    std::mutex mutex;
    std::map<int32_t, UartPort> open;  // by port number
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
UartPort *OpenPort(UartPorts &ports, int32_t port, Why &why) {
    auto found = ports.open.find(port);
    if (found != ports.open.end()) return &found->second;
    why = PortName(port) + " is not open";
    return nullptr;
}

UartPort *ConfiguredPort(UartPorts &ports, int32_t port, Why &why) {
    UartPort *uart = OpenPort(ports, port, why);
    if (uart && !uart->configured) {
        why = PortName(port) + " is not configured";
        return nullptr;
    }
    return uart;
}

int32_t Open(int32_t port, int32_t flow, int32_t baud, Why &why) {
    UartLine line;
    line.flow = flow;
    line.baud = baud;
    std::string problem = UartLineProblem(line);
    if (!problem.empty()) return Refuse(why, problem);
    UartPorts &ports = Ports();
    std::lock_guard<std::mutex> lock(ports.mutex);
    if (ports.open.count(port)) return Refuse(why, PortName(port) + " is already open");
    int fd = OpenMappedDevice(TheBoardMap().uart, "uart", port, O_RDWR | O_NOCTTY | O_NONBLOCK, why);
    if (fd < 0) return 0;
    if (!ApplyUartLine(fd, line, why)) {
        close(fd);
        return 0;
    }
    UartPort &uart = ports.open[port];
    uart.fd = fd;
    uart.line = line;
    return 1;
}

int32_t Configure(int32_t port, const UartLine &line, Why &why) {
    std::string problem = UartLineProblem(line);
    if (!problem.empty()) return Refuse(why, problem);
    UartPorts &ports = Ports();
    std::lock_guard<std::mutex> lock(ports.mutex);
    UartPort *uart = OpenPort(ports, port, why);
    if (!uart || !ApplyUartLine(uart->fd, line, why)) return 0;
    uart->line = line;
    uart->configured = true;
    return 1;
}

// Bytes still waiting in the port's output; 0 when the driver cannot tell.
int Unsent(int fd) {
    int waiting = 0;
    return ioctl(fd, TIOCOUTQ, &waiting) == 0 ? waiting : 0;
}

// The time `bytes` take at the line's rate, ten bits each.
Clock::duration SendTime(const UartLine &line, size_t bytes) {
    return std::chrono::microseconds(static_cast<int64_t>(bytes) * 10 * 1000000 / line.baud);
}

bool SendAll(int fd, const char *text, size_t length, Clock::time_point deadline) {
    size_t done = 0;
    while (done < length) {
        ssize_t wrote = write(fd, text + done, length - done);
        if (wrote > 0) {
            done += static_cast<size_t>(wrote);
            continue;
        }
        if (wrote < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd ready = {fd, POLLOUT, 0};
        if (Clock::now() >= deadline || poll(&ready, 1, MillisecondsUntil(deadline)) == 0) {
            errno = ETIMEDOUT;
            return false;
        }
    }
    while (Unsent(fd) > 0) {
        if (Clock::now() >= deadline) {
            errno = ETIMEDOUT;
            return false;
        }
        std::this_thread::sleep_for(kDrainPoll);
    }
    return true;
}

int32_t Write(int32_t port, const char *text, Why &why) {
    if (!text) return Refuse(why, "no text");
    UartPorts &ports = Ports();
    std::lock_guard<std::mutex> lock(ports.mutex);
    UartPort *uart = ConfiguredPort(ports, port, why);
    if (!uart) return 0;
    size_t length = std::strlen(text);
    Clock::time_point deadline = Clock::now() + SendTime(uart->line, length) + kWriteSlack;
    if (SendAll(uart->fd, text, length, deadline)) return 1;
    int error = errno;
    tcflush(uart->fd, TCOFLUSH);
    if (error == ETIMEDOUT && uart->line.flow == 2)
        return Refuse(why, PortName(port) + ": not sent in time, CTS not asserted");
    errno = error;
    return Refuse(why, SystemError(PortName(port) + ": write failed"));
}

// Reads up to `count` bytes within 500 ms; the NUL follows what came.
int32_t Read(int32_t port, int32_t count, char *buffer, Why &why) {
    if (count < 1 || count > kMaxReadCount) return Refuse(why, "count must be 1 to 4096");
    if (!buffer) return Refuse(why, "no buffer");
    UartPorts &ports = Ports();
    std::lock_guard<std::mutex> lock(ports.mutex);
    UartPort *uart = ConfiguredPort(ports, port, why);
    if (!uart) return 0;
    size_t wanted = static_cast<size_t>(count), got = 0;
    Clock::time_point deadline = Clock::now() + kReadTimeout;
    // A port whose device is gone (an unplugged adapter, a driver unbound)
    // is hung up: poll returns at once and reads return nothing. It fails
    // the read once what was left has been read, rather than being polled
    // until the time is up.
    bool hungUp = false;
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
        pollfd ready = {uart->fd, POLLIN, 0};
        if (Clock::now() >= deadline || poll(&ready, 1, MillisecondsUntil(deadline)) == 0) break;
        hungUp = (ready.revents & (POLLHUP | POLLERR)) != 0;
    }
    buffer[got] = '\0';
    if (got < wanted)
        return Refuse(why, std::to_string(got) + " of " + std::to_string(wanted) + " bytes came within 500 ms");
    return 1;
}

int32_t Close(int32_t port, Why &why) {
    UartPorts &ports = Ports();
    std::lock_guard<std::mutex> lock(ports.mutex);
    UartPort *uart = OpenPort(ports, port, why);
    if (!uart) return 0;
    close(uart->fd);
    ports.open.erase(port);
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
