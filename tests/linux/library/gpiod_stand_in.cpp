#include "gpiod_stand_in.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/eventfd.h>
#include <unistd.h>

gpiod_line::gpiod_line() : eventFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

gpiod_line::~gpiod_line() { close(eventFd); }

void gpiod_line::Push(std::initializer_list<int> edges, int after) {
    std::lock_guard<std::mutex> lock(mutex);
    events.insert(events.end(), edges);
    level = after;
    uint64_t one = 1;
    if (write(eventFd, &one, sizeof one) != sizeof one) std::abort();
}

extern "C" {

int gpiod_line_get_value(gpiod_line *line) { return line->level; }

int gpiod_line_event_get_fd(gpiod_line *line) { return line->eventFd; }

int gpiod_line_event_read_multiple(gpiod_line *line, gpiod_line_event *events, unsigned int count) {
    std::lock_guard<std::mutex> lock(line->mutex);
    unsigned done = 0;
    for (; done < count && !line->events.empty(); ++done) {
        events[done] = gpiod_line_event{};
        events[done].event_type = line->events.front();
        line->events.pop_front();
    }
    if (done > 0) ++line->reads;
    uint64_t counter;
    if (line->events.empty() && read(line->eventFd, &counter, sizeof counter) < 0 && errno != EAGAIN) return -1;
    return static_cast<int>(done);
}

// Lookups: line "LOCKED" lies behind a chip that cannot be opened; no other
// name exists and no chip opens.
gpiod_line *gpiod_line_find(const char *name) {
    errno = std::strcmp(name, "LOCKED") == 0 ? EACCES : ENOENT;
    return nullptr;
}

gpiod_chip *gpiod_line_get_chip(gpiod_line *) { return nullptr; }

gpiod_chip *gpiod_chip_open_lookup(const char *) {
    errno = ENOENT;
    return nullptr;
}

unsigned int gpiod_chip_num_lines(gpiod_chip *) { return 0; }

gpiod_line *gpiod_chip_get_line(gpiod_chip *, unsigned int) { return nullptr; }

void gpiod_chip_close(gpiod_chip *) {}

}  // extern "C"
