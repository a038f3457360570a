// A stand-in for the few libgpiod calls that the interrupt thread and the
// line lookup make, so that a host test can play a line: its level, its
// queue of edge events (readable through an eventfd, as the line's event
// descriptor is), and lookups that fail.
#ifndef TESTS_LINUX_LIBRARY_GPIOD_STAND_IN_H
#define TESTS_LINUX_LIBRARY_GPIOD_STAND_IN_H

#include <gpiod.h>

#include <atomic>
#include <deque>
#include <initializer_list>
#include <mutex>

struct gpiod_line {
    gpiod_line();
    ~gpiod_line();
    // Queues edges (GPIOD_LINE_EVENT_*) and makes the event descriptor
    // readable; `level` is what the line reads after them.
    void Push(std::initializer_list<int> edges, int level);

    std::atomic<int> level{0};
    std::atomic<int> reads{0};  // calls that took events
    int eventFd;
    std::mutex mutex;
    std::deque<int> events;
};

#endif
