// Physical registers through /dev/mem, inside the address windows of the
// board map only: an access outside them is refused, so a mistyped address
// cannot reach RAM. Each window is mapped on its first access, rounded out
// to whole pages (the rest of those pages is never accessed), and stays
// mapped; accesses are single 32-bit loads and stores, so any number of
// threads may make them at once.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include "../hal/QZHalLib.h"
#include "board_map_load.h"
#include "device_files.h"
#include "linux_call.h"

namespace {

constexpr int32_t kFirstChannel = 1;
constexpr int32_t kLastChannel = 9;
constexpr int32_t kAccessWidth = 32;
constexpr uint32_t kAlignment = 4;
constexpr int32_t kWriteRefused = -1;

struct MappedWindow {
    MemoryWindow window;
    volatile uint8_t *pages = nullptr;  // the window's pages, once mapped
    uint64_t pagesBase = 0;
};

struct Windows {
    std::mutex mutex;
    bool listed = false;
    std::vector<MappedWindow> windows;
};

Windows &TheWindows() {
    static Windows &windows = *new Windows;
    return windows;
}

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

bool MapPages(MappedWindow &mapped, Why &why) {
    uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    uint64_t first = mapped.window.base / page * page;
    uint64_t end = (mapped.window.base + mapped.window.size + page - 1) / page * page;
    if (end - first > SIZE_MAX) return Refuse(why, "the window is too large to map here", false);
    int fd = open("/dev/mem", O_RDWR | O_SYNC | O_CLOEXEC);
    if (fd < 0) return Refuse(why, SystemError("cannot open /dev/mem"), false);
    void *pages = mmap(nullptr, static_cast<size_t>(end - first), PROT_READ | PROT_WRITE, MAP_SHARED, fd, static_cast<off_t>(first));
    int error = errno;
    close(fd);
    errno = error;
    if (pages == MAP_FAILED) return Refuse(why, SystemError("cannot map " + Hex(first) + " from /dev/mem"), false);
    mapped.pages = static_cast<volatile uint8_t *>(pages);
    mapped.pagesBase = first;
    return true;
}

// Why no window holds `address`: the map could not be read, it has no
// window (its memory lines were wrong, or there are none), or the address
// is outside those it has.
std::string OutsideTheWindows(uint32_t address) {
    const BoardMap &map = TheBoardMap();
    if (!map.unreadable.empty()) return map.unreadable;
    if (map.memory.empty())
        return map.broken.count("memory") ? map.broken.at("memory") : "board map " + map.path + " has no memory window";
    return Hex(address) + " is outside the memory windows of board map " + map.path;
}

// The 32-bit register at `address`, mapped on first use; null with the
// reason in `why` when no window holds it whole.
volatile uint32_t *Register(int32_t channel, uint32_t address, int32_t width, Why &why) {
    if (channel < kFirstChannel || channel > kLastChannel) return Refuse(why, "channel must be 1 to 9", nullptr);
    if (width != kAccessWidth) return Refuse(why, "width must be 32", nullptr);
    if (address % kAlignment != 0) return Refuse(why, "address must be aligned to 4", nullptr);
    Windows &windows = TheWindows();
    std::lock_guard<std::mutex> lock(windows.mutex);
    if (!windows.listed) {
        for (const MemoryWindow &window : TheBoardMap().memory) windows.windows.push_back(MappedWindow{window});
        windows.listed = true;
    }
    for (MappedWindow &mapped : windows.windows) {
        const MemoryWindow &window = mapped.window;
        if (address < window.base || uint64_t{address} + kAlignment > window.base + window.size) continue;
        if (!mapped.pages && !MapPages(mapped, why)) return nullptr;
        return reinterpret_cast<volatile uint32_t *>(mapped.pages + (address - mapped.pagesBase));
    }
    return Refuse(why, OutsideTheWindows(address), nullptr);
}

}  // namespace

extern "C" {

// The fifth argument has no meaning on Linux.
int32_t QZHAL_CALL WritePhysicalAddress(int32_t channel, uint32_t address, int32_t width, uint32_t value,
                             int32_t option) {
    return LinuxCall("WritePhysicalAddress",
                     TraceArgs().Int(channel).Unsigned(address).Int(width).Unsigned(value).Int(option),
                     kWriteRefused, [&](Why &why) {
                         volatile uint32_t *target = Register(channel, address, width, why);
                         if (!target) return kWriteRefused;
                         *target = value;
                         // The value after the write goes back as a signed
                         // number, so one with bit 31 set reads as negative.
                         return static_cast<int32_t>(*target);
                     });
}

uint32_t QZHAL_CALL ReadPhysicalAddress(int32_t channel, uint32_t address, int32_t width) {
    return LinuxCall("ReadPhysicalAddress", TraceArgs().Int(channel).Unsigned(address).Int(width), 0u,
                     [&](Why &why) {
                         volatile uint32_t *source = Register(channel, address, width, why);
                         return source ? *source : 0u;
                     });
}

}  // extern "C"
