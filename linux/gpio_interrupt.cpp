#include "gpio_interrupt.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <gpiod.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// A level interrupt repeats at this interval while the level holds.
constexpr auto kLevelRepeat = std::chrono::milliseconds(10);
constexpr unsigned kEventsPerRead = 16;

bool EdgeWanted(int32_t type, int edge) {
    switch (type) {
    case kRise: return edge == GPIOD_LINE_EVENT_RISING_EDGE;
    case kFall: return edge == GPIOD_LINE_EVENT_FALLING_EDGE;
    case kBoth: return true;
    default: return false;
    }
}

bool LevelHolds(int32_t type, int32_t level) {
    return (type == kLow && level == 0) || (type == kHigh && level == 1);
}

// Rounded up: a wait cut short by the rounding would poll again and again
// with no timeout until `when`.
int MillisecondsUntil(Clock::time_point when) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

// The thread signals a copy of the caller's descriptor: the caller may close
// its number, and another file may get it, while the thread still runs.
GpioInterrupt::GpioInterrupt(gpiod_line *line, int32_t type, int eventFd)
    : line_(line), type_(type), eventFd_(fcntl(eventFd, F_DUPFD_CLOEXEC, 0)), stopFd_(eventfd(0, EFD_CLOEXEC)) {}

GpioInterrupt::~GpioInterrupt() {
    if (thread_.joinable()) {
        uint64_t one = 1;
        while (write(stopFd_, &one, sizeof one) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
    if (stopFd_ >= 0) close(stopFd_);
    if (eventFd_ >= 0) close(eventFd_);
}

bool GpioInterrupt::Start() {
    if (stopFd_ < 0 || eventFd_ < 0) return false;
    try {
        thread_ = std::thread([this] { Watch(); });
    } catch (const std::system_error &) {
        return false;
    }
    return true;
}

bool GpioInterrupt::Signal() {
    uint64_t one = 1;
    ssize_t wrote;
    do {
        wrote = write(eventFd_, &one, sizeof one);
    } while (wrote < 0 && errno == EINTR);
    return wrote == static_cast<ssize_t>(sizeof one) || errno != EBADF;
}

// Reads the pending edges; returns the line's level after them. A level
// type reads the line itself: the kernel drops the newest edges of a full
// queue, so the last edge read need not be the line's state.
int32_t GpioInterrupt::ReadEdges(int32_t level, bool &eventGone) {
    gpiod_line_event events[kEventsPerRead];
    int count = gpiod_line_event_read_multiple(line_, events, kEventsPerRead);
    for (int i = 0; i < count && !eventGone; ++i) {
        level = events[i].event_type == GPIOD_LINE_EVENT_RISING_EDGE ? 1 : 0;
        if (EdgeWanted(type_, events[i].event_type)) eventGone = !Signal();
    }
    if (type_ == kLow || type_ == kHigh) {
        int now = gpiod_line_get_value(line_);
        if (now >= 0) level = now == 1 ? 1 : 0;
    }
    return level;
}

// Edges come as the line's events; a level type signals at once and then
// every 10 ms while its level holds.
void GpioInterrupt::Watch() {
    int32_t level = gpiod_line_get_value(line_) == 1 ? 1 : 0;
    Clock::time_point nextLevelSignal = Clock::now();
    bool eventGone = false;
    while (!eventGone) {
        int timeout = -1;
        if (LevelHolds(type_, level)) {
            if (Clock::now() >= nextLevelSignal) {
                eventGone = !Signal();
                nextLevelSignal = Clock::now() + kLevelRepeat;
            }
            timeout = MillisecondsUntil(nextLevelSignal);
        }
        pollfd fds[2] = {{gpiod_line_event_get_fd(line_), POLLIN, 0}, {stopFd_, POLLIN, 0}};
        int ready = poll(fds, 2, timeout);
        if (ready < 0 && errno != EINTR) return;
        if (fds[1].revents) return;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return;
        if (fds[0].revents & POLLIN) level = ReadEdges(level, eventGone);
    }
}
