// One GPIO interrupt: a thread that watches the line's edge events and
// signals the caller's event (an eventfd) for each interrupt of its type.
#ifndef LINUX_GPIO_INTERRUPT_H
#define LINUX_GPIO_INTERRUPT_H

#include <cstdint>
#include <system_error>
#include <thread>

struct gpiod_line;

enum GpioInterruptType : int32_t { kLow = 0, kHigh = 1, kRise = 2, kFall = 3, kBoth = 4 };

class GpioInterrupt {
public:
    // `line` has been requested for both edges' events; the thread signals
    // its own copy of `eventFd`.
    GpioInterrupt(gpiod_line *line, int32_t type, int eventFd);
    // Stops the thread: once it returns, the event is never written again.
    ~GpioInterrupt();
    GpioInterrupt(const GpioInterrupt &) = delete;
    GpioInterrupt &operator=(const GpioInterrupt &) = delete;

    // False when the thread could not be started.
    bool Start();

private:
    void Watch();
    // Signals the event; false once the event no longer exists.
    bool Signal();
    int32_t ReadEdges(int32_t level, bool &eventGone);

    gpiod_line *line_;
    int32_t type_;
    int eventFd_;
    int stopFd_;
    std::thread thread_;
};

#endif
