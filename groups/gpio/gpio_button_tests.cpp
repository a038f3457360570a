// The button tests: interrupts counted with the operator, and the buttons
// copied onto the LEDs until Space.
#include <cstddef>
#include <cstdio>
#include <string>

#include "../../hal/QZHalLib.h"
#include "../../platform/console.h"
#include "../../platform/sync.h"
#include "../../platform/system.h"
#include "../../shell/dialogue.h"
#include "gpio_tests.h"
#include "gpio_texts.h"

namespace {

const int32_t kOutput = 0;
const int32_t kInput = 1;
const int32_t kLedGpios[] = {5, 6, 8, 9};
const size_t kLedCount = sizeof kLedGpios / sizeof kLedGpios[0];
const int32_t kButtonCount = 4;

const int32_t kHighInterrupt = 1;
const int32_t kRiseInterrupt = 2;

const uint32_t kPollingPassMs = 200;

// From a script nobody can press a button: an interrupt that has not come
// within this time is not coming (the pin is held at the other level, say
// by an output on its jumper partner), so the test ends instead of waiting
// for ever. On a terminal the operator has all the time needed.
const int32_t kScriptInterruptWaitMs = 3000;

// The event the library signals per interrupt; lives for one run of the
// interrupt test.
PlatformHandle g_interruptEvent = NULL;

// The LED lit for each button in the interrupt test.
int32_t InterruptLedGpio(int32_t button) {
    switch (button) {
    case 1: return 6;
    case 2: return 5;
    case 3: return 8;
    case 4: return 9;
    default: return 0;
    }
}

// The LED that copies each button in the polling test, in the order they
// are read. Buttons 1 and 2 light the LEDs the other way round from the
// interrupt test.
struct ButtonLed {
    int32_t button;
    int32_t led;
};
const ButtonLed kPollingPairs[] = {{1, 5}, {2, 6}, {3, 8}, {4, 9}};
const size_t kPollingPairCount = sizeof kPollingPairs / sizeof kPollingPairs[0];

// "<call> failed (<last error>)", as the console's C-style output.
void PrintSystemFailure(const char *call) {
    std::printf("%s failed (%d)\n", call, static_cast<int>(PlatformGetLastError()));
    std::fflush(stdout);
}

uint32_t WaitForInterrupt() {
    static const bool terminal = PlatformConsoleIsTerminal();
    if (terminal) return PlatformWaitEvent(g_interruptEvent);
    return PlatformWaitEventFor(g_interruptEvent, kScriptInterruptWaitMs);
}

bool AskToContinue(int32_t count) {
    std::string text = kInterruptBoxTextStart + DecimalText(count) + kInterruptBoxTextEnd;
    return PlatformMessageBox(text.c_str(), kInterruptBoxCaption, kMessageBoxYesNo | kMessageBoxTopmost) !=
           kMessageBoxAnswerNo;
}

}  // namespace

void GpioTests::GPIOLedsToOutput() {
    for (size_t i = 0; i < kLedCount; ++i) GPIOSetDirection(kLedGpios[i], kOutput, 0);
}

void GpioTests::GPIOLedsRelease() {
    for (size_t i = 0; i < kLedCount; ++i) GPIOSetDirection(kLedGpios[i], kOutput, 1);
}

void GpioTests::GPIOButtonsToInput() {
    for (int32_t button = 1; button <= kButtonCount; ++button) GPIOSetDirection(button, kInput, 0);
}

// The LED is low while the test waits for an interrupt and high while the
// operator is asked. Interrupts that come while the question is open merge
// into one wake of the auto-reset event, so the count counts answers.
int GpioTests::GPIOButtonInterruptTest(int32_t buttonGpio, int32_t ledGpio, int32_t isrType) {
    g_interruptEvent = PlatformCreateEvent();
    if (!g_interruptEvent) {
        PrintSystemFailure("CreateEvent");
        return 0;
    }
    GPIOSetDirection(buttonGpio, kInput, 0);
    GPIOSetDirection(ledGpio, kOutput, 0);
    if (GPIOSetInterrupt(buttonGpio, isrType, g_interruptEvent) == 0) {
        PrintSystemFailure("Set GPIO Interrupt");
        PlatformCloseEvent(g_interruptEvent);
        g_interruptEvent = NULL;
        return 0;
    }
    int32_t count = 1;
    bool detected = true;
    for (;;) {
        GPIOSetPin(ledGpio, 0);
        uint32_t wait = WaitForInterrupt();
        if (wait == kPlatformWaitTimedOut) {
            PrintLine("No Interrupt Event within " + DecimalText(kScriptInterruptWaitMs / 1000) + " s");
            detected = false;
            break;
        }
        if (wait != kPlatformWaitSignalled) {
            // A failed wait fails again at once; retrying it would spin.
            PrintSystemFailure("WaitForSingleObject");
            detected = false;
            break;
        }
        GPIOSetPin(ledGpio, 1);
        if (!AskToContinue(count)) break;
        ++count;
    }
    GPIOClearInterrupt(buttonGpio);
    PlatformCloseEvent(g_interruptEvent);
    g_interruptEvent = NULL;
    PrintStatusLine("Interrupttest on Button TA" + DecimalText(buttonGpio), detected);
    return detected ? 1 : 0;
}

void GpioTests::RunButtonInterruptTest() {
    PrintTestHeader(kInterruptTitle);
    int32_t button = ReadDecimal(kInterruptPinPrompt);
    int32_t isrType = ReadDecimal(kInterruptTypePrompt);
    if (isrType == kHighInterrupt || isrType == kRiseInterrupt) {
        PrintPrompt("Please push selected button before press space to continious interrupt test!");
        WaitForSpaceKey();
    }
    int32_t led = InterruptLedGpio(button);
    if (led == 0) {
        PrintLine("Enter valid Button Number (1 to 4)");
        return;
    }
    int result = GPIOButtonInterruptTest(button, led, isrType);
    GPIOLedsRelease();
    PrintStatusLine("GPIO Pin " + DecimalText(button), result == 1);
}

// Each pass copies the buttons onto the LEDs; Space ends the test after the
// pass in which it is seen.
int GpioTests::RunButtonPollingTest() {
    PrintTestHeader(kPollingTitle);
    GPIOLedsToOutput();
    GPIOButtonsToInput();
    bool accepted = true;
    for (;;) {
        for (size_t i = 0; i < kPollingPairCount; ++i) {
            int32_t value = GPIOReadAndShowPin(kPollingPairs[i].button);
            accepted = GPIOReadGaveLevel(value) && accepted;
            accepted = GPIODriveOutput(kPollingPairs[i].led, value == 1 ? 1 : 0) == 1 && accepted;
        }
        if (PlatformSpaceKeyPressed()) break;
        PrintLine("Press Space for Break Test");
        PlatformSleep(kPollingPassMs);
    }
    GPIOLedsRelease();
    return accepted ? 1 : 0;
}
