#include "gpio_model.h"

namespace {

constexpr int32_t kPwmPin = 28;
constexpr int32_t kIntPrioPin = 29;

}  // namespace

int32_t SimPressedButton(int64_t elapsedMs) {
    int64_t inCycle = elapsedMs % kSimButtonCycleMs;
    if (inCycle < 0) inCycle += kSimButtonCycleMs;
    return static_cast<int32_t>(inCycle / kSimButtonPressMs) + 1;
}

int32_t SimLoopbackPartner(int32_t pin) {
    switch (pin) {
    case 1: return 2;
    case 2: return 1;
    case 3: return 4;
    case 4: return 3;
    default: return 0;
    }
}

bool SimGpioPinValid(int32_t pin) { return pin >= 1 && pin <= kSimGpioPinCount; }

void SimGpioPins::PowerOn() {
    for (int32_t pin = 0; pin <= kSimGpioPinCount; ++pin) {
        output_[pin] = pin == kPwmPin || pin == kIntPrioPin;
        latch_[pin] = false;
    }
}

int32_t SimGpioPins::Read(int32_t pin, int32_t pressedButton) const {
    if (output_[pin]) return latch_[pin] ? 1 : 0;
    int32_t partner = SimLoopbackPartner(pin);
    if (partner != 0 && output_[partner]) return latch_[partner] ? 1 : 0;
    if (pin <= kSimButtonCount) return pin == pressedButton ? 1 : 0;
    return 0;
}
