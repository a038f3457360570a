// GPIO of the simulated board: 64 pins with the loopback jumpers and the
// buttons of gpio_model.h, and interrupts that signal the caller's event
// from a background thread.
//
// Every change of state and every signal happens under one mutex. So once
// GPIOClearInterrupt (or a replacing GPIOSetInterrupt) has returned, the
// event of the registration it ended is never written again, and the caller
// may close it at once.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>

#include "../hal/QZHalLib.h"
#include "gpio_model.h"
#include "sim_call.h"
#include "sim_os.h"
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
    QZHAL_EVENT event;
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
            if (!SimSignalEvent(registration.event)) {
                entry = board.interrupts.erase(entry);
                continue;
            }
        }
        ++entry;
    }
}

void MonitorInterrupts() {
    GpioBoard &board = Board();
    std::unique_lock<std::mutex> lock(board.mutex);
    for (;;) {
        board.registrationsChanged.wait(lock, [&] { return !board.interrupts.empty(); });
        CheckInterrupts(board);
        board.registrationsChanged.wait_for(lock, kSampleInterval);
    }
}

// Started with the first interrupt registration; runs until the process
// ends. The caller holds the mutex. False when the thread cannot start.
bool StartMonitor(GpioBoard &board) {
    if (!board.monitorRunning) board.monitorRunning = SimStartDetachedThread(MonitorInterrupts);
    return board.monitorRunning;
}

bool InterruptTypeValid(int32_t type) { return type >= kLow && type <= kBoth; }

// Registers a valid interrupt; false when the background thread cannot
// start.
bool RegisterInterrupt(int32_t gpio, int32_t type, QZHAL_EVENT event) {
    GpioBoard &board = Board();
    std::lock_guard<std::mutex> lock(board.mutex);
    if (!StartMonitor(board)) return false;
    int32_t level = LevelNow(board, gpio, Clock::now());
    board.interrupts[gpio] = Registration{type, event, level, false, Clock::time_point()};
    board.registrationsChanged.notify_all();
    return true;
}

}  // namespace

void SimGpioReset() {
    GpioBoard &board = Board();
    std::lock_guard<std::mutex> lock(board.mutex);
    board.pins.PowerOn();
    board.interrupts.clear();
}

extern "C" {

int32_t QZHAL_CALL GPIOSetDirection(int32_t gpio, int32_t direction, int32_t option) {
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

int32_t QZHAL_CALL GPIOSetPin(int32_t gpio, int32_t level) {
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

int32_t QZHAL_CALL GPIOGetPin(int32_t gpio) {
    StartClock();
    return SimCall("GPIOGetPin", TraceArgs().Int(gpio), -1, [&] {
        if (!SimGpioPinValid(gpio)) return -1;
        GpioBoard &board = Board();
        std::lock_guard<std::mutex> lock(board.mutex);
        return LevelNow(board, gpio, Clock::now());
    });
}

// Refusals leave their reason as the last error, which the program reports;
// it is set after the trace is written, which could change it.
int32_t QZHAL_CALL GPIOSetInterrupt(int32_t gpio, int32_t type, QZHAL_EVENT event) {
    StartClock();
    bool invalid = false;
    int32_t result = SimCall("GPIOSetInterrupt", TraceArgs().Int(gpio).Int(type).Event(event), 0, [&] {
        invalid = !SimGpioPinValid(gpio) || !InterruptTypeValid(type) || !event;
        return !invalid && RegisterInterrupt(gpio, type, event) ? 1 : 0;
    });
    if (result == 0) SimSetLastError(invalid ? SimError::kInvalidArgument : SimError::kDeviceFailure);
    return result;
}

int32_t QZHAL_CALL GPIOClearInterrupt(int32_t gpio) {
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
