#include "test_table.h"

#include <cstdio>
#include <cstring>

#include "../groups/backlight/backlight_texts.h"
#include "../groups/can/can_texts.h"
#include "../groups/control/control_texts.h"
#include "../groups/gpio/gpio_texts.h"
#include "../groups/i2c/i2c_texts.h"
#include "../groups/phymem/phymem_texts.h"
#include "../groups/spi/spi_texts.h"
#include "../groups/touch/touch_texts.h"
#include "../groups/uart/uart_texts.h"
#include "../groups/version/version_texts.h"
#include "../shell/dialogue.h"
#include "../shell/number_scan.h"

namespace {

#define COUNT_OF(array) (sizeof(array) / sizeof((array)[0]))
#define ONCE(text, kind) {text, NULL, kind, kAskedOnce, 0}

// Prompts shared by several tests.
#define I2C_BUS_AND_ADDRESSES                                                                               \
    ONCE(kI2CDevicePrompt, kAnswerDecimal), ONCE(kI2CRatePrompt, kAnswerDecimal),                           \
        ONCE(kI2CAddressPrompt, kAnswerHexUnsigned), ONCE(kI2CRegisterPrompt, kAnswerHexUnsigned)
#define SPI_DEVICE_AND_MODE ONCE(kSpiDevicePrompt, kAnswerDecimal), ONCE(kSpiModePrompt, kAnswerDecimal)
#define SPI_FLASH_SETTINGS                                                                                  \
    SPI_DEVICE_AND_MODE, ONCE(kSpiInstructionPrompt, kAnswerHexUnsigned), ONCE(kSpiAddressPrompt, kAnswerHexUnsigned)
#define UART_PORT_SETTINGS                                                                                  \
    ONCE(kUartDevicePrompt, kAnswerDecimal), ONCE(kUartFlowPrompt, kAnswerDecimal),                         \
        ONCE(kUartParityPrompt, kAnswerDecimal), ONCE(kUartStopBitsPrompt, kAnswerDecimal),                 \
        ONCE(kUartByteSizePrompt, kAnswerDecimal), ONCE(kUartFrequencyPrompt, kAnswerDecimal)
#define CAN_MODE ONCE(kCanModePrompt, kAnswerDecimal)
#define CAN_ID ONCE(kCanIdPrompt, kAnswerHex)
#define CAN_FREQUENCY ONCE(kCanFrequencyPrompt, kAnswerDecimalUnsigned)
#define CAN_PRIO ONCE(kCanPrioPrompt, kAnswerDecimal)
#define CAN_LENGTH ONCE(kCanLengthPrompt, kAnswerDecimal)
#define CAN_FILTER_AND_MASK ONCE(kCanFilterPrompt, kAnswerHex), ONCE(kCanMaskPrompt, kAnswerHex)

const TestPrompt kBrightness[] = {ONCE(kBrightnessLevelPrompt, kAnswerDecimal)};
const TestPrompt kSuspend[] = {ONCE(kSuspendTimePrompt, kAnswerDecimal), ONCE(kSuspendEnablePrompt, kAnswerDecimal)};
const TestPrompt kKitlPower[] = {ONCE(kKitlPowerPrompt, kAnswerDecimal)};
const TestPrompt kLoopback[] = {ONCE(kLoopbackFirstPinPrompt, kAnswerDecimal),
                                ONCE(kLoopbackSecondPinPrompt, kAnswerDecimal)};
const TestPrompt kLed[] = {ONCE(kLedPinPrompt, kAnswerDecimal), ONCE(kLedStatePrompt, kAnswerDecimal)};
const TestPrompt kSetPin[] = {ONCE(kPinPrompt, kAnswerDecimal), ONCE(kPinStatePrompt, kAnswerDecimal)};
const TestPrompt kGetPin[] = {ONCE(kPinPrompt, kAnswerDecimal)};
const TestPrompt kInterrupt[] = {ONCE(kInterruptPinPrompt, kAnswerDecimal), ONCE(kInterruptTypePrompt, kAnswerDecimal),
                                 {kInterruptBoxTextStart, kInterruptBoxTextEnd, kAnswerYesNo, kAskedUntilNo, 0}};
const TestPrompt kPinState[] = {ONCE(kOnOffStatePrompt, kAnswerDecimal)};
const TestPrompt kI2CWrite[] = {I2C_BUS_AND_ADDRESSES, ONCE(kI2CDataPrompt, kAnswerHexUnsigned)};
const TestPrompt kI2CRead[] = {I2C_BUS_AND_ADDRESSES};
const TestPrompt kI2CWriteFlash[] = {I2C_BUS_AND_ADDRESSES, ONCE(kI2CDataPrompt, kAnswerWord),
                                     ONCE(kI2CDataLengthPrompt, kAnswerDecimal)};
const TestPrompt kI2CReadFlash[] = {I2C_BUS_AND_ADDRESSES, ONCE(kI2CDataLengthPrompt, kAnswerDecimal)};
const TestPrompt kRegisterWrite[] = {ONCE(kRegisterAddressPrompt, kAnswerHexUnsigned),
                                     ONCE(kRegisterChannelPrompt, kAnswerHexUnsigned),
                                     ONCE(kRegisterValuePrompt, kAnswerHexUnsigned)};
const TestPrompt kRegisterRead[] = {ONCE(kRegisterReadAddressPrompt, kAnswerHexUnsigned),
                                    ONCE(kRegisterChannelPrompt, kAnswerHexUnsigned)};
const TestPrompt kRegisterThreads[] = {
    ONCE(kAsyncAddressPrompt1, kAnswerHexUnsigned), ONCE(kAsyncAddressPrompt2, kAnswerHexUnsigned),
    ONCE(kAsyncAddressPrompt3, kAnswerHexUnsigned), ONCE(kAsyncAddressPrompt4, kAnswerHexUnsigned)};
const TestPrompt kSpiExchange[] = {SPI_DEVICE_AND_MODE, ONCE(kSpiBitCountPrompt, kAnswerDecimal),
                                   {kSpiDataPromptStart, kSpiWordPromptEnd, kAnswerHexUnsigned, kAskedPerDataWord, 2}};
const TestPrompt kSpiRead[] = {SPI_DEVICE_AND_MODE, ONCE(kSpiBitCountPrompt, kAnswerDecimal)};
const TestPrompt kSpiFlashWrite[] = {SPI_FLASH_SETTINGS, ONCE(kSpiWriteByteCountPrompt, kAnswerDecimal),
                                     {kSpiDataPromptStart, kSpiBytePromptEnd, kAnswerHexUnsigned, kAskedPerByte, 4}};
const TestPrompt kSpiFlashRead[] = {SPI_FLASH_SETTINGS, ONCE(kSpiReadByteCountPrompt, kAnswerDecimal)};
const TestPrompt kUartWrite[] = {UART_PORT_SETTINGS, ONCE(kUartDataPrompt, kAnswerWord)};
const TestPrompt kUartRead[] = {UART_PORT_SETTINGS, ONCE(kUartCountPrompt, kAnswerDecimal)};
const TestPrompt kUartContinuous[] = {UART_PORT_SETTINGS};
const TestPrompt kCanWrite[] = {CAN_MODE, CAN_ID, CAN_FREQUENCY, CAN_PRIO, ONCE(kCanDataPrompt, kAnswerWord)};
const TestPrompt kCanRead[] = {CAN_MODE, CAN_FREQUENCY, CAN_LENGTH};
const TestPrompt kCanRemoteWrite[] = {CAN_MODE, CAN_ID, CAN_FREQUENCY, CAN_PRIO, CAN_LENGTH};
const TestPrompt kCanFilterWrite[] = {CAN_MODE, CAN_ID, CAN_FREQUENCY, CAN_PRIO, CAN_FILTER_AND_MASK, CAN_LENGTH};
const TestPrompt kCanFilterRead[] = {CAN_MODE, CAN_FREQUENCY, CAN_FILTER_AND_MASK, CAN_LENGTH};
const TestPrompt kCanAsync[] = {CAN_MODE,
                                CAN_FREQUENCY,
                                CAN_ID,
                                ONCE(kCanAsyncDataPrompt, kAnswerWord),
                                ONCE(kCanAsyncLengthPrompt, kAnswerDecimal),
                                ONCE(kCanAsyncTimeoutPrompt, kAnswerDecimal),
                                ONCE(kCanAsyncDelayPrompt, kAnswerDecimal)};

#define PROMPTS(list) list, COUNT_OF(list)
#define NO_PROMPTS NULL, 0

const TestInfo kTests[] = {
    {"backlight.brightness", "backlight", 1, 1, kBrightnessTitle, PROMPTS(kBrightness), 0, NULL,
     "Set Backlight Brightness  is {Success|Failed}!!!"},
    {"backlight.suspend", "backlight", 1, 2, kSuspendTitle, PROMPTS(kSuspend), 0, NULL,
     "Set Backlight Suspend:  is {Success|Failed}!!!"},
    {"control.reboot", "control", 2, 1, kRebootTitle, NO_PROMPTS, kTestNoStatusLine,
     "The device restarts, and the program with it.",
     NULL},
    {"control.restart-kitl", "control", 2, 2, kKitlTitle, NO_PROMPTS, 0, NULL,
     "Restart KITL is {Success|Failed}!!!"},
    {"control.kitl-power", "control", 2, 3, kKitlTitle, PROMPTS(kKitlPower), 0, NULL,
     "Control KITL is {Success|Failed}!!!"},
    {"gpio.loopback", "gpio", 3, 1, kLoopbackTitle, PROMPTS(kLoopback), 0, NULL,
     "Loopback Test GPIO <first pin> to <second pin> is {Success|Failed}!!!"},
    {"gpio.led", "gpio", 3, 2, kLedTitle, PROMPTS(kLed), 0, NULL,
     "Pin is {High|Low}\n"
     "GPIO <LED's GPIO> Test is{Success|Failed}!!!"},
    {"gpio.set-pin", "gpio", 3, 3, kSetPinTitle, PROMPTS(kSetPin), kTestNoStatusLine, NULL,
     "GPIO Pin <pin> is {1|0}!!!"},
    {"gpio.get-pin", "gpio", 3, 4, kGetPinTitle, PROMPTS(kGetPin), kTestNoStatusLine, NULL,
     "Pin is {High|Low}\n"
     "GPIO Pin <pin> is {HIGH|LOW}!!!"},
    {"gpio.button-interrupt", "gpio", 3, 5, kInterruptTitle, PROMPTS(kInterrupt), kTestWaitsForSpace,
     "With ISR type 1 or 2 it waits for Space before the first interrupt; the box follows each interrupt.",
     "Interrupttest on Button TA<pin> is {Success|Failed}!!!\n"
     "GPIO Pin <pin> is {Success|Failed}!!!"},
    {"gpio.button-polling", "gpio", 3, 6, kPollingTitle, NO_PROMPTS, kTestWaitsForSpace | kTestNoStatusLine,
     "Copies the buttons onto the LEDs until Space.",
     "Pin is {High|Low}"},
    {"gpio.pwm-pin", "gpio", 3, 7, kPwmPinTitle, PROMPTS(kPinState), 0, NULL,
     "GPIO PWM Pin State is {Success|Failed}!!!"},
    {"gpio.int-prio-pin", "gpio", 3, 8, kIntPrioPinTitle, PROMPTS(kPinState), 0, NULL,
     "GPIO INT_PRIO Pin State is {Success|Failed}!!!"},
    {"i2c.write", "i2c", 4, 1, kI2CWriteTitle, PROMPTS(kI2CWrite), 0, NULL,
     "I2C Write Test from <address> is {Success|Failed}!!!"},
    {"i2c.read", "i2c", 4, 2, kI2CReadTitle, PROMPTS(kI2CRead), 0, NULL,
     "I2C Read Test from <address> with Data <byte> is {Success|Failed}!!!"},
    {"i2c.write-flash", "i2c", 4, 3, kI2CWriteFlashTitle, PROMPTS(kI2CWriteFlash), 0, NULL,
     "I2C Write Test from <address> with Register Address:<register> is {Success|Failed}!!!"},
    {"i2c.read-flash", "i2c", 4, 4, kI2CReadFlashTitle, PROMPTS(kI2CReadFlash), 0, NULL,
     "I2C Read Test from <address> with Register Address:<register> is {Success|Failed}!!!\n"
     "Data String: <text>"},
    {"phymem.write", "phymem", 5, 1, kRegisterWriteTitle, PROMPTS(kRegisterWrite), 0, NULL,
     "Memory Write Test Register: <address> | Value: <value> | {Success|Failed}!!!"},
    {"phymem.read", "phymem", 5, 2, kRegisterReadTitle, PROMPTS(kRegisterRead), 0, NULL,
     "Physical Read Return: 0x<value>\n"
     "Memory Read Test Register: <address> | Value: <value> | Success!!!"},
    {"phymem.write-return", "phymem", 5, 3, kRegisterWriteReturnTitle, PROMPTS(kRegisterWrite), 0, NULL,
     "Memory Write Test Register: 0x<address> | Value: 0x<value> | Return 0x<value read> | {Success|Failed}!!!"},
    {"phymem.threads", "phymem", 5, 4, kRegisterThreadsTitle, PROMPTS(kRegisterThreads), 0,
     "Reads the four registers on channels 1 to 4, one worker thread each.",
     "Memory Write Read Asyncron Test Register <0 to 3>: 0x<address> | Return 0x<value> | {Success|Failed}!!!"},
    {"touch.clear", "touch", 6, 1, kClearTouchTitle, NO_PROMPTS, 0, NULL,
     "Clear Touch Data  is {Success|Failed}!!!"},
    {"touch.calibrate", "touch", 6, 2, kSetTouchTitle, NO_PROMPTS, 0, NULL,
     "Set Touch Data  is {Success|Failed}!!!"},
    {"version.library", "version", 7, 1, kLibraryVersionTitle, NO_PROMPTS, kTestNoStatusLine, NULL,
     "QZHalLib Version: <a>.<b>.<c>.<d>"},
    {"version.bsp", "version", 7, 2, kBspVersionTitle, NO_PROMPTS, kTestNoStatusLine, NULL,
     "BSP Version: <a>.<b>.<c>.<d>"},
    {"version.image", "version", 7, 3, kImageVersionTitle, NO_PROMPTS, kTestNoStatusLine, NULL,
     "WinCE Image Version: <a>.<b>.<c>.<d>"},
    {"spi.exchange", "spi", 8, 1, kSpiExchangeTitle, PROMPTS(kSpiExchange), 0, NULL,
     "SPI Write/Read Test is {Success|Failed}!!!\n"
     "Register Value <i>: 0x<word>"},
    {"spi.read", "spi", 8, 2, kSpiReadTitle, PROMPTS(kSpiRead), 0, NULL,
     "SPI Read Test is {Success|Failed}!!!\n"
     "Register Value <i>: 0x<word>"},
    {"spi.loopback", "spi", 8, 3, kSpiLoopbackTitle, PROMPTS(kSpiExchange), 0, NULL,
     "SPI Write/Read Loopback Test is {Success|Failed}!!!\n"
     "Register Value <i>: 0x<word>"},
    {"spi.eeprom-write", "spi", 8, 4, kSpiEepromWriteTitle, PROMPTS(kSpiFlashWrite), 0, NULL,
     "SPI Write Flash Test Register Data: 0x<status> is {Success|Failed}!!!"},
    {"spi.eeprom-read", "spi", 8, 5, kSpiEepromReadTitle, PROMPTS(kSpiFlashRead), 0, NULL,
     "SPI Read Flash Test Register Data: 0x<data> is {Success|Failed}!!!"},
    {"uart.write", "uart", 9, 1, kUartWriteTitle, PROMPTS(kUartWrite), 0, NULL,
     "UART Write Test - Data: <text> Status: {Success|Failed}!!!"},
    {"uart.read", "uart", 9, 2, kUartReadTitle, PROMPTS(kUartRead), 0, NULL,
     "UART Read Test - Data: <text> Status: {Success|Failed}!!!"},
    {"uart.continuous-read", "uart", 9, 3, kUartContinuousTitle, PROMPTS(kUartContinuous), kTestWaitsForSpace,
     "Shows what arrives until Space.",
     "Data: <what arrived>\n"
     "UART Read Test - Data: <text> Status: {Success|Failed}!!!"},
    {"can.write", "can", 10, 1, kCanWriteTitle, PROMPTS(kCanWrite), 0, NULL,
     "CAN Write Test - Data: <text> Status: {Success|Failed}!!!"},
    {"can.read", "can", 10, 2, kCanReadTitle, PROMPTS(kCanRead), 0, NULL,
     "CAN Read Test - ID: 0x<id> - Data: 0x<byte> 0x<byte> ... 0x<byte> Status: {Success|Failed}!!!"},
    {"can.remote-write", "can", 10, 3, kCanRemoteWriteTitle, PROMPTS(kCanRemoteWrite), 0, NULL,
     "CAN Remote Write Test - Data: <text> Status: {Success|Failed}!!!"},
    {"can.remote-read", "can", 10, 4, kCanRemoteReadTitle, PROMPTS(kCanRead), 0, NULL,
     "CAN Remote Read Test - ID: 0x<id> - Data: 0x<byte> 0x<byte> ... 0x<byte> Status: {Success|Failed}!!!"},
    {"can.filter-write", "can", 10, 5, kCanFilterWriteTitle, PROMPTS(kCanFilterWrite), 0, NULL,
     "CAN Filter Write Test - Data: <text> Status: {Success|Failed}!!!"},
    {"can.filter-read", "can", 10, 6, kCanFilterReadTitle, PROMPTS(kCanFilterRead), 0, NULL,
     "CAN Filter Read Test - ID: 0x<id> - Data: 0x<byte> 0x<byte> ... 0x<byte> Status: {Success|Failed}!!!"},
    {"can.async", "can", 10, 7, kCanAsyncTitle, PROMPTS(kCanAsync), kTestWaitsForSpace,
     "Reads and writes on two worker threads until Space.",
     "CAN Read Count: <n> | Length: <n> | Data: 0x<byte>,...,0x<byte>\n"
     "CAN Write Count: <n> | Length: <n> | Data: 0x<byte>,...,0x<byte>\n"
     "CAN Async Read/Write Test - Status: {Success|Failed}!!!"},
};

// The answer as the number scan reads it, from its first byte on.
struct TextInput {
    const std::string &text;
    size_t at;
    explicit TextInput(const std::string &source) : text(source), at(0) {}
    int Peek(size_t offset) const {
        return at + offset < text.size() ? static_cast<unsigned char>(text[at + offset]) : -1;
    }
    void Consume(size_t count) { at += count; }
};

bool ScanWhole(const std::string &text, NumberBase base, NumberScan &scan) {
    TextInput input(text);
    scan = ScanNumber(input, base);
    return scan.status == kScanNumber && input.at == text.size();
}

bool HasWhiteSpace(const std::string &text) {
    for (size_t i = 0; i < text.size(); ++i)
        if (IsWhiteSpace(static_cast<unsigned char>(text[i]))) return true;
    return false;
}

std::string LowerCase(const std::string &text) {
    std::string lower(text);
    for (size_t i = 0; i < lower.size(); ++i)
        if (lower[i] >= 'A' && lower[i] <= 'Z') lower[i] = static_cast<char>(lower[i] - 'A' + 'a');
    return lower;
}

void PrintPromptLine(size_t number, const TestPrompt &prompt) {
    std::string text = prompt.text;
    // Numbered prompts show their number as i, the box its count as N.
    if (prompt.textEnd) text += std::string(prompt.kind == kAnswerYesNo ? "N" : "i") + prompt.textEnd;
    std::printf("  %2u. %s\"%s\"\n      %s", static_cast<unsigned>(number),
                prompt.kind == kAnswerYesNo ? "Yes/No box " : "", text.c_str(), AnswerKindText(prompt.kind));
    switch (prompt.count) {
    case kAskedPerDataWord:
        std::printf("; once per 32 bits of answer %u (i = 0, 1, ...; none above 128)",
                    static_cast<unsigned>(prompt.countFrom + 1));
        break;
    case kAskedPerByte:
        std::printf("; as often as answer %u says (i = 1, 2; none above 2)",
                    static_cast<unsigned>(prompt.countFrom + 1));
        break;
    case kAskedUntilNo: std::printf("; again after each yes"); break;
    default: break;
    }
    std::printf("\n");
}

void PrintResultLines(const TestInfo &test) {
    if (test.flags & kTestNoStatusLine)
        std::printf("  no status line: a plan takes the test's own result (the library accepted its calls)\n");
    if (!test.results) return;
    std::printf("  result lines:\n");
    for (const char *line = test.results; *line;) {
        const char *end = std::strchr(line, '\n');
        size_t length = end ? static_cast<size_t>(end - line) : std::strlen(line);
        std::printf("    \"%.*s\"\n", static_cast<int>(length), line);
        line += length + (end ? 1 : 0);
    }
}

}  // namespace

size_t TestCount() { return COUNT_OF(kTests); }

const TestInfo &TestAt(size_t index) { return kTests[index]; }

const TestInfo *FindTest(const std::string &name) {
    for (size_t i = 0; i < TestCount(); ++i)
        if (name == kTests[i].id || name == MenuPath(kTests[i])) return &kTests[i];
    return NULL;
}

std::string MenuPath(const TestInfo &test) {
    return DecimalText(test.menuItem) + "." + DecimalText(test.testItem);
}

const char *AnswerKindText(AnswerKind kind) {
    switch (kind) {
    case kAnswerDecimal: return "a decimal number";
    case kAnswerDecimalUnsigned: return "an unsigned decimal number";
    case kAnswerHex: return "a hexadecimal number";
    case kAnswerHexUnsigned: return "an unsigned hexadecimal number";
    case kAnswerWord: return "one word without blanks";
    default: return "yes or no";
    }
}

bool AnswerFits(AnswerKind kind, const std::string &text) {
    NumberScan scan;
    int32_t signedValue = 0;
    uint32_t unsignedValue = 0;
    switch (kind) {
    case kAnswerDecimal: return ScanWhole(text, kDecimal, scan) && ScannedSigned(scan, signedValue);
    case kAnswerDecimalUnsigned: return ScanWhole(text, kDecimal, scan) && ScannedUnsigned(scan, unsignedValue);
    case kAnswerHex: return ScanWhole(text, kHexadecimal, scan) && ScannedSigned(scan, signedValue);
    case kAnswerHexUnsigned: return ScanWhole(text, kHexadecimal, scan) && ScannedUnsigned(scan, unsignedValue);
    case kAnswerWord: return !text.empty() && !HasWhiteSpace(text);
    default: {
        std::string answer = LowerCase(text);
        return answer == "y" || answer == "yes" || answer == "n" || answer == "no";
    }
    }
}

int32_t AnswerNumber(AnswerKind kind, const std::string &text) {
    NumberScan scan;
    int32_t value = 0;
    uint32_t bits = 0;
    switch (kind) {
    case kAnswerDecimal:
        if (ScanWhole(text, kDecimal, scan)) ScannedSigned(scan, value);
        return value;
    case kAnswerYesNo: {
        const std::string answer = LowerCase(text);
        return !answer.empty() && answer[0] == 'y' ? 1 : 0;
    }
    default:
        if (kind != kAnswerWord && ScanWhole(text, kind == kAnswerDecimalUnsigned ? kDecimal : kHexadecimal, scan) &&
            ScannedUnsigned(scan, bits))
            value = static_cast<int32_t>(bits);
        return value;
    }
}

int32_t PromptTimes(const TestPrompt &prompt, int32_t countAnswer) {
    switch (prompt.count) {
    case kAskedPerDataWord:
        // The dialogue refuses more than 128 bits before the data prompts.
        if (countAnswer > 128) return 0;
        return countAnswer <= 32 ? 1 : (countAnswer + 31) / 32;
    case kAskedPerByte: return countAnswer > 2 || countAnswer < 0 ? 0 : countAnswer;
    default: return 1;
    }
}

void PrintTestList() {
    for (size_t i = 0; i < TestCount(); ++i) {
        const TestInfo &test = kTests[i];
        std::printf("%s%s (menu %s)\n  %s\n", i == 0 ? "" : "\n", test.id, MenuPath(test).c_str(), test.title);
        if (test.promptCount == 0) std::printf("  no prompts\n");
        for (size_t p = 0; p < test.promptCount; ++p) PrintPromptLine(p + 1, test.prompts[p]);
        if (test.flags & kTestWaitsForSpace)
            std::printf("  waits for Space: a plan presses it after the step's `space` seconds\n");
        if (test.note) std::printf("  %s\n", test.note);
        PrintResultLines(test);
    }
}
