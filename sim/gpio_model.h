// The GPIO pins of the simulated board without time or threads: directions,
// output latches, the loopback jumpers and the buttons, so that what a pin
// reads follows from the state and the moment alone.
#ifndef SIM_GPIO_MODEL_H
#define SIM_GPIO_MODEL_H

#include <cstdint>

constexpr int32_t kSimGpioPinCount = 64;

// The simulated operator presses TA1 to TA4 in turn, each for a quarter of a
// cycle: TA1 first, from the start of each cycle.
constexpr int64_t kSimButtonCycleMs = 1000;
constexpr int32_t kSimButtonCount = 4;
constexpr int64_t kSimButtonPressMs = kSimButtonCycleMs / kSimButtonCount;

// The button (1 to 4) held down `elapsedMs` after the first GPIO call.
int32_t SimPressedButton(int64_t elapsedMs);

// The pin joined to `pin` by a loopback jumper, 0 when none is.
int32_t SimLoopbackPartner(int32_t pin);

bool SimGpioPinValid(int32_t pin);

class SimGpioPins {
public:
    SimGpioPins() { PowerOn(); }

    // Every pin an input with latch 0, except the PWM and INT_PRIO pins,
    // which the board configures as outputs.
    void PowerOn();

    // Pins must be valid (SimGpioPinValid).
    void SetOutput(int32_t pin, bool output) { output_[pin] = output; }
    void SetLatch(int32_t pin, bool high) { latch_[pin] = high; }
    bool IsOutput(int32_t pin) const { return output_[pin]; }

    // An output reads its latch. An input reads the latch of its loopback
    // partner when that is an output, else its button, else 0 (pull-down).
    int32_t Read(int32_t pin, int32_t pressedButton) const;

private:
    bool output_[kSimGpioPinCount + 1];
    bool latch_[kSimGpioPinCount + 1];
};

#endif
