// A stand-in for the few libgpiod calls that the interrupt thread and the
// line lookup make, so that a host test can play a line (its level, its
// queue of edge events, readable through an eventfd as the line's event
// descriptor is) and the board's GPIO chips (their device files in /dev,
// labels and line names, and chips that cannot be opened).
#ifndef TESTS_LINUX_LIBRARY_GPIOD_STAND_IN_H
#define TESTS_LINUX_LIBRARY_GPIOD_STAND_IN_H

#include <gpiod.h>

#include <atomic>
#include <deque>
#include <initializer_list>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct gpiod_line {
    gpiod_line();
    ~gpiod_line();
    gpiod_line(const gpiod_line &) = delete;
    gpiod_line &operator=(const gpiod_line &) = delete;
    // Queues edges (GPIOD_LINE_EVENT_*) and makes the event descriptor
    // readable; `level` is what the line reads after them.
    void Push(std::initializer_list<int> edges, int level);

    std::atomic<int> level{0};
    std::atomic<int> reads{0};  // calls that took events
    int eventFd;
    std::mutex mutex;
    std::deque<int> events;
};

// A GPIO chip of the stand-in's /dev: one that opens has a label and named
// lines; one that does not fails to open with `openError`.
struct GpioChipStandIn {
    std::string label;
    std::vector<std::string> lineNames;
    int openError = 0;
};

// The chips /dev holds from now on, by device file name ("gpiochip0"):
// scandir of /dev lists them, gpiod_chip_open opens them.
void SetGpioChips(const std::map<std::string, GpioChipStandIn> &chips);

#endif
