// GPIO over the GPIO character device (libgpiod): each library pin is the
// line the board map names, requested as an input or an output as the
// program sets its direction, or for edge events while an interrupt is set.
// A line the program only reads is requested as it is, so reading never
// turns an output into an input.
#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include <gpiod.h>

#include "../hal/QZHalLib.h"
#include "board_map_load.h"
#include "device_files.h"
#include "gpio_interrupt.h"
#include "gpio_lines.h"
#include "linux_call.h"

namespace {

constexpr char kConsumer[] = "qzhaltest";

enum class Use { kNone, kSampled, kInput, kOutput, kEvents };

struct Pin {
    GpioLine line;
    Use use = Use::kNone;
    bool latch = false;
    std::unique_ptr<GpioInterrupt> interrupt;
};

struct GpioState {
    std::mutex mutex;
    std::map<int32_t, Pin> pins;  // opened so far, by library number
};

GpioState &State() {
    static GpioState &state = *new GpioState;
    return state;
}

std::string PinName(int32_t gpio) { return "GPIO " + std::to_string(gpio); }

// The pin's line, opened on first use; null with the reason in `why`.
Pin *OpenPin(GpioState &state, int32_t gpio, Why &why) {
    auto known = state.pins.find(gpio);
    if (known != state.pins.end()) return &known->second;
    const BoardMap &map = TheBoardMap();
    auto entry = map.gpio.find(gpio);
    if (entry == map.gpio.end()) {
        why = map.Missing("gpio." + std::to_string(gpio));
        return nullptr;
    }
    Pin pin;
    if (!OpenGpioLine(entry->second, pin.line, why)) return nullptr;
    return &state.pins.emplace(gpio, std::move(pin)).first->second;
}

void Release(Pin &pin) {
    pin.interrupt.reset();
    if (pin.use != Use::kNone) gpiod_line_release(pin.line.line);
    pin.use = Use::kNone;
}

// Requests the line for `use`; on failure the line is left unrequested.
bool Request(Pin &pin, Use use) {
    Release(pin);
    int result = -1;
    switch (use) {
    case Use::kSampled: {
        gpiod_line_request_config config = {kConsumer, GPIOD_LINE_REQUEST_DIRECTION_AS_IS, 0};
        result = gpiod_line_request(pin.line.line, &config, 0);
        break;
    }
    case Use::kInput: result = gpiod_line_request_input(pin.line.line, kConsumer); break;
    case Use::kOutput: result = gpiod_line_request_output(pin.line.line, kConsumer, pin.latch ? 1 : 0); break;
    case Use::kEvents: result = gpiod_line_request_both_edges_events(pin.line.line, kConsumer); break;
    case Use::kNone: result = 0; break;
    }
    if (result == 0) pin.use = use;
    return result == 0;
}

// After a call on the pin failed with ENODEV, its chip has gone away (removed,
// its driver unbound). It may be back already, under another number: the
// pin's line is looked up again and requested as it was (an interrupt's line
// as an input). False, with errno as the failure left it, while it is not
// back; `pin` may then be null.
bool Renew(GpioState &state, int32_t gpio, Pin *&pin) {
    int error = errno;
    if (error != ENODEV) return false;
    Use use = pin->use == Use::kEvents ? Use::kInput : pin->use;
    bool latch = pin->latch;
    Release(*pin);
    CloseGpioLine(pin->line);
    state.pins.erase(gpio);
    Why ignored;
    pin = OpenPin(state, gpio, ignored);
    if (pin) {
        pin->latch = latch;
        if (Request(*pin, use)) return true;
    }
    errno = error;
    return false;
}

// Requests the line for `use`, on the chip as it is now.
bool RequestRenewed(GpioState &state, int32_t gpio, Pin *&pin, Use use) {
    return Request(*pin, use) || (Renew(state, gpio, pin) && Request(*pin, use));
}

int32_t SetDirection(int32_t gpio, int32_t direction, Why &why) {
    if (direction != 0 && direction != 1) return Refuse(why, "direction must be 0 (output) or 1 (input)");
    GpioState &state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    Pin *pin = OpenPin(state, gpio, why);
    if (!pin) return 0;
    Use wanted = direction == 0 ? Use::kOutput : Use::kInput;
    if (pin->use == wanted || (pin->use == Use::kEvents && wanted == Use::kInput)) return 1;
    if (pin->use == Use::kEvents) return Refuse(why, PinName(gpio) + " has an interrupt set: clear it first");
    if (!RequestRenewed(state, gpio, pin, wanted)) return Refuse(why, SystemError("cannot request " + PinName(gpio)));
    return 1;
}

int32_t SetPin(int32_t gpio, int32_t level, Why &why) {
    GpioState &state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    Pin *pin = OpenPin(state, gpio, why);
    if (!pin) return 0;
    pin->latch = level != 0;
    if (pin->use != Use::kOutput || gpiod_line_set_value(pin->line.line, pin->latch ? 1 : 0) == 0) return 1;
    // A renewed output line is driven at the latch's level already.
    if (!Renew(state, gpio, pin)) return Refuse(why, SystemError("cannot drive " + PinName(gpio)));
    return 1;
}

int32_t GetPin(int32_t gpio, Why &why) {
    GpioState &state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    Pin *pin = OpenPin(state, gpio, why);
    if (!pin) return -1;
    if (pin->use == Use::kNone && !RequestRenewed(state, gpio, pin, Use::kSampled))
        return Refuse(why, SystemError("cannot request " + PinName(gpio)), -1);
    int value = gpiod_line_get_value(pin->line.line);
    if (value < 0 && Renew(state, gpio, pin) && (pin->use != Use::kNone || Request(*pin, Use::kSampled)))
        value = gpiod_line_get_value(pin->line.line);
    if (value < 0) return Refuse(why, SystemError("cannot read " + PinName(gpio)), -1);
    return value;
}

int EventDescriptor(QZHAL_EVENT event) { return static_cast<int>(reinterpret_cast<intptr_t>(event)); }

// After an interrupt ends the line is an input again.
int32_t SetInterrupt(int32_t gpio, int32_t type, QZHAL_EVENT event, Why &why) {
    if (type < kLow || type > kBoth) return Refuse(why, "interrupt type must be 0 to 4");
    if (!event) return Refuse(why, "no event to signal");
    GpioState &state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    Pin *pin = OpenPin(state, gpio, why);
    if (!pin) return 0;
    if (!RequestRenewed(state, gpio, pin, Use::kEvents)) {
        why = SystemError("cannot request edge events of " + PinName(gpio));
        if (pin) Request(*pin, Use::kInput);
        return 0;
    }
    pin->interrupt.reset(new GpioInterrupt(pin->line.line, type, EventDescriptor(event)));
    if (pin->interrupt->Start()) return 1;
    Request(*pin, Use::kInput);
    return Refuse(why, "cannot start the interrupt thread");
}

int32_t ClearInterrupt(int32_t gpio, Why &why) {
    GpioState &state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    Pin *pin = OpenPin(state, gpio, why);
    if (!pin) return 0;
    if (pin->use != Use::kEvents) return 1;
    if (!RequestRenewed(state, gpio, pin, Use::kInput))
        return Refuse(why, SystemError("cannot request " + PinName(gpio)));
    return 1;
}

}  // namespace

extern "C" {

int32_t QZHAL_CALL GPIOSetDirection(int32_t gpio, int32_t direction, int32_t option) {
    return LinuxCall("GPIOSetDirection", TraceArgs().Int(gpio).Int(direction).Int(option), 0,
                     [&](Why &why) { return SetDirection(gpio, direction, why); });
}

int32_t QZHAL_CALL GPIOSetPin(int32_t gpio, int32_t level) {
    return LinuxCall("GPIOSetPin", TraceArgs().Int(gpio).Int(level), 0,
                     [&](Why &why) { return SetPin(gpio, level, why); });
}

int32_t QZHAL_CALL GPIOGetPin(int32_t gpio) {
    return LinuxCall("GPIOGetPin", TraceArgs().Int(gpio), -1, [&](Why &why) { return GetPin(gpio, why); });
}

// A refusal leaves its reason as errno too, which the program reports; it
// is set after the trace is written, which could change it.
int32_t QZHAL_CALL GPIOSetInterrupt(int32_t gpio, int32_t type, QZHAL_EVENT event) {
    bool invalid = type < kLow || type > kBoth || !event;
    int32_t result = LinuxCall("GPIOSetInterrupt", TraceArgs().Int(gpio).Int(type).Event(event), 0,
                               [&](Why &why) { return SetInterrupt(gpio, type, event, why); });
    if (result == 0) errno = invalid ? EINVAL : EIO;
    return result;
}

int32_t QZHAL_CALL GPIOClearInterrupt(int32_t gpio) {
    return LinuxCall("GPIOClearInterrupt", TraceArgs().Int(gpio), 0,
                     [&](Why &why) { return ClearInterrupt(gpio, why); });
}

}  // extern "C"
