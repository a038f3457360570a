// The simulated board's GPIO, called directly: pins, jumpers, the button
// schedule and interrupts signalled to a real event.
//
// Every test leaves no interrupt registered, so that the tests may also run
// one after another in one process.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <poll.h>
#include <unistd.h>
#endif

#include "../../hal/QZHalLib.h"
#include "../../platform/sync.h"
#include "../../platform/system.h"
#include "../../sim/gpio_model.h"
#include "system_codes.h"

namespace {

// Long enough for any signal that is due to arrive even on a loaded machine.
constexpr int kSignalPatienceMs = 5000;
// Several sampling and level-repeat periods of the board: a signal that was
// going to come would have come.
constexpr uint32_t kQuietMs = 60;

#ifdef _WIN32
// Takes the pending signal, as the auto-reset wait does: 1, or 0 when none
// came within timeoutMs. A Windows event does not count its signals.
void ClearLastError() { SetLastError(0); }

uint64_t TakeSignals(PlatformHandle event, int timeoutMs) {
    return WaitForSingleObject(event, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0 ? 1 : 0;
}
#else
void ClearLastError() { errno = 0; }

int Descriptor(PlatformHandle event) { return static_cast<int>(reinterpret_cast<intptr_t>(event)); }

// Takes every pending signal at once, as the auto-reset wait does: the
// number of signals, 0 when none came within timeoutMs.
uint64_t TakeSignals(PlatformHandle event, int timeoutMs) {
    pollfd ready{Descriptor(event), POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) != 1) return 0;
    uint64_t count = 0;
    if (read(Descriptor(event), &count, sizeof count) != static_cast<ssize_t>(sizeof count)) return 0;
    return count;
}
#endif

void Quiet() { std::this_thread::sleep_for(std::chrono::milliseconds(kQuietMs)); }

class SimGpioInterrupt : public ::testing::Test {
protected:
    void SetUp() override {
        event_ = PlatformCreateEvent();
        ASSERT_NE(event_, nullptr);
    }
    void TearDown() override {
        for (int32_t pin = 1; pin <= kSimGpioPinCount; ++pin) GPIOClearInterrupt(pin);
        if (event_) PlatformCloseEvent(event_);
    }
    PlatformHandle event_ = nullptr;
};

TEST(SimGpioModel, TheOperatorPressesOneButtonAtATimeInTurn) {
    EXPECT_EQ(SimPressedButton(0), 1);
    EXPECT_EQ(SimPressedButton(249), 1);
    EXPECT_EQ(SimPressedButton(250), 2);
    EXPECT_EQ(SimPressedButton(499), 2);
    EXPECT_EQ(SimPressedButton(500), 3);
    EXPECT_EQ(SimPressedButton(750), 4);
    EXPECT_EQ(SimPressedButton(999), 4);
    EXPECT_EQ(SimPressedButton(1000), 1);
    EXPECT_EQ(SimPressedButton(7260), 2);
}

TEST(SimGpio, InputsIgnoreTheirLatchAndInvalidPinsAreRefused) {
    EXPECT_EQ(GPIOSetPin(30, 1), 1);
    EXPECT_EQ(GPIOGetPin(30), 0);  // an input: the latch does not show
    EXPECT_EQ(GPIOSetDirection(30, 0, 5), 1);
    EXPECT_EQ(GPIOGetPin(30), 1);
    for (int32_t pin : {0, 65, -1}) {
        EXPECT_EQ(GPIOSetDirection(pin, 0, 0), 0);
        EXPECT_EQ(GPIOSetPin(pin, 1), 0);
        EXPECT_EQ(GPIOGetPin(pin), -1);
        EXPECT_EQ(GPIOClearInterrupt(pin), 0);
    }
    EXPECT_EQ(GPIOSetDirection(64, 0, 0), 1);
    EXPECT_EQ(GPIOSetDirection(40, 2, 0), 0);
    EXPECT_EQ(GPIOSetDirection(40, -1, 0), 0);
}

TEST_F(SimGpioInterrupt, RefusesTypeNoneUnknownTypesNullEventsAndInvalidPins) {
    struct Case {
        int32_t pin, type;
        bool withEvent;
    };
    for (Case refused : {Case{2, 5, true}, Case{2, 9, true}, Case{2, -1, true}, Case{2, 0, false},
                         Case{0, 0, true}, Case{65, 4, true}}) {
        ClearLastError();
        EXPECT_EQ(GPIOSetInterrupt(refused.pin, refused.type, refused.withEvent ? event_ : nullptr), 0)
            << refused.pin << " " << refused.type;
        EXPECT_EQ(PlatformGetLastError(), kCodeInvalidArgument);
    }
    Quiet();
    EXPECT_EQ(TakeSignals(event_, 0), 0u);
}

TEST_F(SimGpioInterrupt, EdgesSignalAtOnceAndOnlyInTheirDirection) {
    // GPIO 1 drives GPIO 2 through the jumper.
    GPIOSetDirection(1, 0, 0);
    GPIOSetPin(1, 0);
    GPIOSetDirection(2, 1, 0);
    ASSERT_EQ(GPIOSetInterrupt(2, 2, event_), 1);  // rise
    GPIOSetPin(1, 1);
    EXPECT_EQ(TakeSignals(event_, 0), 1u);
    GPIOSetPin(1, 0);
    EXPECT_EQ(TakeSignals(event_, 0), 0u);

    ASSERT_EQ(GPIOSetInterrupt(2, 3, event_), 1);  // fall
    GPIOSetPin(1, 1);
    EXPECT_EQ(TakeSignals(event_, 0), 0u);
    GPIOSetPin(1, 0);
    EXPECT_EQ(TakeSignals(event_, 0), 1u);

    // Both edges, two signals before one wait: a single wake takes both.
    ASSERT_EQ(GPIOSetInterrupt(2, 4, event_), 1);
    GPIOSetPin(1, 1);
    GPIOSetPin(1, 0);
    EXPECT_EQ(PlatformWaitEvent(event_), kPlatformWaitSignalled);
    EXPECT_EQ(TakeSignals(event_, 0), 0u);
    EXPECT_EQ(GPIOClearInterrupt(2), 1);
}

TEST_F(SimGpioInterrupt, LevelsSignalAgainAndAgainWhileTheyHold) {
    GPIOSetDirection(3, 0, 0);
    GPIOSetPin(3, 1);
    GPIOSetDirection(4, 1, 0);
    ASSERT_EQ(GPIOSetInterrupt(4, 1, event_), 1);  // high
    EXPECT_GE(TakeSignals(event_, kSignalPatienceMs), 1u);
    EXPECT_GE(TakeSignals(event_, kSignalPatienceMs), 1u);

    // Low does not signal while the line is high.
    ASSERT_EQ(GPIOSetInterrupt(4, 0, event_), 1);
    TakeSignals(event_, 0);
    Quiet();
    EXPECT_EQ(TakeSignals(event_, 0), 0u);
    GPIOSetPin(3, 0);
    EXPECT_GE(TakeSignals(event_, kSignalPatienceMs), 1u);
    EXPECT_GE(TakeSignals(event_, kSignalPatienceMs), 1u);
    EXPECT_EQ(GPIOClearInterrupt(4), 1);
}

TEST_F(SimGpioInterrupt, ClearingIsPerPinAndNoSignalFollowsIt) {
    // GPIO 2 low signals every 10 ms; GPIO 4 waits for a rise of GPIO 3.
    for (int32_t out : {1, 3}) {
        GPIOSetDirection(out, 0, 0);
        GPIOSetPin(out, 0);
        GPIOSetDirection(out + 1, 1, 0);
    }
    PlatformHandle other = PlatformCreateEvent();
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(GPIOSetInterrupt(2, 0, event_), 1);
    ASSERT_EQ(GPIOSetInterrupt(4, 2, other), 1);
    ASSERT_GE(TakeSignals(event_, kSignalPatienceMs), 1u);
    EXPECT_EQ(GPIOClearInterrupt(2), 1);
    // The caller may close the event at once; a new one may get the same
    // descriptor and must stay quiet.
    PlatformCloseEvent(event_);
    event_ = PlatformCreateEvent();
    ASSERT_NE(event_, nullptr);
    Quiet();
    EXPECT_EQ(TakeSignals(event_, 0), 0u);
    GPIOSetPin(3, 1);
    EXPECT_EQ(TakeSignals(other, 0), 1u);
    PlatformCloseEvent(other);
}

TEST_F(SimGpioInterrupt, SoftResetRestoresPowerOnAndEndsInterrupts) {
    GPIOSetDirection(28, 1, 0);
    GPIOSetDirection(31, 0, 0);
    GPIOSetPin(31, 1);
    GPIOSetDirection(1, 0, 0);
    GPIOSetPin(1, 0);
    GPIOSetDirection(2, 1, 0);
    ASSERT_EQ(GPIOSetInterrupt(2, 0, event_), 1);
    ASSERT_GE(TakeSignals(event_, kSignalPatienceMs), 1u);
    EXPECT_EQ(SoftReset(), 1);
    TakeSignals(event_, 0);
    Quiet();
    EXPECT_EQ(TakeSignals(event_, 0), 0u);
    GPIOSetPin(28, 1);
    EXPECT_EQ(GPIOGetPin(28), 1);  // an output again
    EXPECT_EQ(GPIOGetPin(31), 0);  // an input again, latch 0
}

}  // namespace
