// GPIO of the simulated board: 64 pins with the loopback jumpers and the
// buttons of gpio_model.h, and interrupts that signal the caller's event
// from a background thread.
//
// Every change of state and every signal happens under one mutex. So once
// GPIOClearInterrupt (or a replacing GPIOSetInterrupt) has returned, the
// event of the registration it ended is never written again, and the caller
// may close it at once.
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <pthread.h>
#include <unistd.h>

#include "../hal/QZHalLib.h"
#include "gpio_model.h"
#include "sim_call.h"
#include "sim_reset.h"

namespace {

using Clock = std::chrono::steady_clock;

// How often the background thread looks at the registered pins: often
// enough to see every button press, which lasts 250 ms.
constexpr auto kSampleInterval = std::chrono::milliseconds(5);
// A level interrupt repeats at this interval while the level holds.
constexpr auto kLevelRepeat = std::chrono::milliseconds(10);

enum InterruptType : int32_t { kLow = 0, kHigh = 1, kRise = 2, kFall = 3, kBoth = 4 };

struct Registration {
    int32_t type;
    int eventFd;
    int32_t lastLevel;
    bool signalledBefore;
    Clock::time_point lastSignal;
};

struct GpioBoard {
    std::mutex mutex;
    std::condition_variable registrationsChanged;
    bool clockStarted = false;
    Clock::time_point clockStart;
    SimGpioPins pins;
    std::map<int32_t, Registration> interrupts;  // by pin
    bool monitorRunning = false;
};

// Never destroyed: the background thread may still run while the process
// ends.
GpioBoard &Board() {
    static GpioBoard &board = *new GpioBoard;
    return board;
}

// The buttons' cycle counts from the first GPIO call of the process.
void StartClock() {
    GpioBoard &board = Board();
    std::lock_guard<std::mutex> lock(board.mutex);
    if (board.clockStarted) return;
    board.clockStarted = true;
    board.clockStart = Clock::now();
}

// The caller holds the mutex.
int32_t LevelNow(GpioBoard &board, int32_t pin, Clock::time_point now) {
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - board.clockStart);
    return board.pins.Read(pin, SimPressedButton(elapsed.count()));
}

bool Signal(int eventFd) {
    uint64_t one = 1;
    ssize_t wrote;
    do {
        wrote = write(eventFd, &one, sizeof one);
    } while (wrote < 0 && errno == EINTR);
    return wrote == static_cast<ssize_t>(sizeof one) || errno != EBADF;
}

bool InterruptDue(Registration &registration, int32_t level, Clock::time_point now) {
    switch (registration.type) {
    case kLow:
    case kHigh: {
        bool holds = level == (registration.type == kHigh ? 1 : 0);
        return holds && (!registration.signalledBefore || now - registration.lastSignal >= kLevelRepeat);
    }
    case kRise: return registration.lastLevel == 0 && level == 1;
    case kFall: return registration.lastLevel == 1 && level == 0;
    default: return registration.lastLevel != level;
    }
}

// Signals every registered pin whose condition is met. The caller holds the
// mutex; it runs after each change of the pins and on every sample.
void CheckInterrupts(GpioBoard &board) {
    Clock::time_point now = Clock::now();
    for (auto entry = board.interrupts.begin(); entry != board.interrupts.end();) {
        Registration &registration = entry->second;
        int32_t level = LevelNow(board, entry->first, now);
        bool due = InterruptDue(registration, level, now);
        registration.lastLevel = level;
        if (due) {
            registration.signalledBefore = true;
            registration.lastSignal = now;
            // An event closed without clearing its interrupt is forgotten.
            if (!Signal(registration.eventFd)) {
                entry = board.interrupts.erase(entry);
                continue;
            }
        }
        ++entry;
    }
}

void *MonitorInterrupts(void *) {
    GpioBoard &board = Board();
    std::unique_lock<std::mutex> lock(board.mutex);
    for (;;) {
        board.registrationsChanged.wait(lock, [&] { return !board.interrupts.empty(); });
        CheckInterrupts(board);
        board.registrationsChanged.wait_for(lock, kSampleInterval);
    }
    return nullptr;
}

// Started with the first interrupt registration; runs until the process
// ends. The caller holds the mutex. Returns 0 or the error code.
int StartMonitor(GpioBoard &board) {
    if (board.monitorRunning) return 0;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    int error = pthread_create(&thread, &attributes, MonitorInterrupts, nullptr);
    pthread_attr_destroy(&attributes);
    if (error == 0) board.monitorRunning = true;
    return error;
}

int EventDescriptor(QZHAL_EVENT event) { return static_cast<int>(reinterpret_cast<intptr_t>(event)); }

bool InterruptTypeValid(int32_t type) { return type >= kLow && type <= kBoth; }

// Registers the interrupt; 0 or the error code for errno.
int RegisterInterrupt(int32_t gpio, int32_t type, QZHAL_EVENT event) {
    if (!SimGpioPinValid(gpio) || !InterruptTypeValid(type) || !event) return EINVAL;
    GpioBoard &board = Board();
    std::lock_guard<std::mutex> lock(board.mutex);
    if (int error = StartMonitor(board)) return error;
    int32_t level = LevelNow(board, gpio, Clock::now());
    board.interrupts[gpio] = Registration{type, EventDescriptor(event), level, false, Clock::time_point()};
    board.registrationsChanged.notify_all();
    return 0;
}

}  // namespace

void SimGpioReset() {
    GpioBoard &board = Board();
    std::lock_guard<std::mutex> lock(board.mutex);
    board.pins.PowerOn();
    board.interrupts.clear();
}

extern "C" {

int32_t GPIOSetDirection(int32_t gpio, int32_t direction, int32_t option) {
    StartClock();
    return SimCall("GPIOSetDirection", TraceArgs().Int(gpio).Int(direction).Int(option), 0, [&] {
        if (!SimGpioPinValid(gpio) || (direction != 0 && direction != 1)) return 0;
        GpioBoard &board = Board();
        std::lock_guard<std::mutex> lock(board.mutex);
        board.pins.SetOutput(gpio, direction == 0);
        CheckInterrupts(board);
        return 1;
    });
}

int32_t GPIOSetPin(int32_t gpio, int32_t level) {
    StartClock();
    return SimCall("GPIOSetPin", TraceArgs().Int(gpio).Int(level), 0, [&] {
        if (!SimGpioPinValid(gpio)) return 0;
        GpioBoard &board = Board();
        std::lock_guard<std::mutex> lock(board.mutex);
        board.pins.SetLatch(gpio, level != 0);
        CheckInterrupts(board);
        return 1;
    });
}

int32_t GPIOGetPin(int32_t gpio) {
    StartClock();
    return SimCall("GPIOGetPin", TraceArgs().Int(gpio), -1, [&] {
        if (!SimGpioPinValid(gpio)) return -1;
        GpioBoard &board = Board();
        std::lock_guard<std::mutex> lock(board.mutex);
        return LevelNow(board, gpio, Clock::now());
    });
}

// Refusals leave their reason in errno, the last error the program reports.
int32_t GPIOSetInterrupt(int32_t gpio, int32_t type, QZHAL_EVENT event) {
    StartClock();
    int error = 0;
    int32_t result = SimCall(
        "GPIOSetInterrupt", TraceArgs().Int(gpio).Int(type).Event(event), 0,
        [&] {
            error = RegisterInterrupt(gpio, type, event);
            return error == 0 ? 1 : 0;
        },
        [&] { error = EIO; });
    if (result == 0) errno = error;
    return result;
}

int32_t GPIOClearInterrupt(int32_t gpio) {
    StartClock();
    return SimCall("GPIOClearInterrupt", TraceArgs().Int(gpio), 0, [&] {
        if (!SimGpioPinValid(gpio)) return 0;
        GpioBoard &board = Board();
        std::lock_guard<std::mutex> lock(board.mutex);
        board.interrupts.erase(gpio);
        return 1;
    });
}

}  // extern "C"
