#include "gpiod_stand_in.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <memory>
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

// An open chip: its own copy of the stand-in's chip, with its lines.
struct gpiod_chip {
    std::string label;
    std::vector<std::string> lineNames;
    std::vector<std::unique_ptr<gpiod_line>> lines;
};

namespace {

const std::string kDevices = "/dev/";

struct Chips {
    std::mutex mutex;
    std::map<std::string, GpioChipStandIn> byName;
};

Chips &TheChips() {
    static Chips &chips = *new Chips;
    return chips;
}

}  // namespace

void SetGpioChips(const std::map<std::string, GpioChipStandIn> &chips) {
    std::lock_guard<std::mutex> lock(TheChips().mutex);
    TheChips().byName = chips;
}

extern "C" {

int __real_scandir(const char *folder, dirent ***entries, int (*filter)(const dirent *),
                   int (*compare)(const dirent **, const dirent **));

// /dev holds the stand-in's chips and nothing else.
int __wrap_scandir(const char *folder, dirent ***entries, int (*filter)(const dirent *),
                   int (*compare)(const dirent **, const dirent **)) {
    if (kDevices != std::string(folder) + "/") return __real_scandir(folder, entries, filter, compare);
    std::vector<dirent *> listed;
    {
        std::lock_guard<std::mutex> lock(TheChips().mutex);
        for (const auto &chip : TheChips().byName) {
            auto *entry = static_cast<dirent *>(std::calloc(1, sizeof(dirent)));
            std::strncpy(entry->d_name, chip.first.c_str(), sizeof entry->d_name - 1);
            entry->d_type = DT_CHR;
            if (!filter || filter(entry))
                listed.push_back(entry);
            else
                std::free(entry);
        }
    }
    *entries = static_cast<dirent **>(std::malloc(sizeof(dirent *) * (listed.size() + 1)));
    std::copy(listed.begin(), listed.end(), *entries);
    if (compare)
        std::sort(*entries, *entries + listed.size(), [compare](dirent *a, dirent *b) {
            const dirent *first = a, *second = b;
            return compare(&first, &second) < 0;
        });
    return static_cast<int>(listed.size());
}

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

gpiod_chip *gpiod_chip_open(const char *path) {
    std::string name = path;
    std::lock_guard<std::mutex> lock(TheChips().mutex);
    auto found = name.compare(0, kDevices.size(), kDevices) == 0 ? TheChips().byName.find(name.substr(kDevices.size()))
                                                                  : TheChips().byName.end();
    if (found == TheChips().byName.end() || found->second.openError != 0) {
        errno = found == TheChips().byName.end() ? ENOENT : found->second.openError;
        return nullptr;
    }
    auto *chip = new gpiod_chip{found->second.label, found->second.lineNames, {}};
    for (size_t i = 0; i < chip->lineNames.size(); ++i) chip->lines.emplace_back(new gpiod_line);
    return chip;
}

const char *gpiod_chip_label(gpiod_chip *chip) { return chip->label.c_str(); }

unsigned int gpiod_chip_num_lines(gpiod_chip *chip) { return static_cast<unsigned>(chip->lines.size()); }

gpiod_line *gpiod_chip_get_line(gpiod_chip *chip, unsigned int offset) {
    if (offset < chip->lines.size()) return chip->lines[offset].get();
    errno = EINVAL;
    return nullptr;
}

gpiod_line *gpiod_chip_find_line(gpiod_chip *chip, const char *name) {
    for (size_t i = 0; i < chip->lineNames.size(); ++i)
        if (chip->lineNames[i] == name) return chip->lines[i].get();
    errno = ENOENT;
    return nullptr;
}

void gpiod_chip_close(gpiod_chip *chip) { delete chip; }

}  // extern "C"
