#include "test_table.h"

#include <cstdio>

#include "../shell/dialogue.h"
#include "../shell/number_scan.h"

namespace {

#define COUNT_OF(array) (sizeof(array) / sizeof((array)[0]))

// Prompts shared by several tests.
#define I2C_BUS_AND_ADDRESSES                                                                         \
    {"Enter I2C Device Number (0,1): ", kAnswerDecimal, kAskedOnce, 0},                               \
        {"Enter I2C Device Bitrate (0=100|1=400|2=800|3=1600|4=2400|5=3200 kBits): ", kAnswerDecimal, \
         kAskedOnce, 0},                                                                              \
        {"Enter I2C Device Address (e.g. 50 = 0x50): ", kAnswerHexUnsigned, kAskedOnce, 0},           \
        {"Enter I2C Register Address (e.g. 0 = 0x00): ", kAnswerHexUnsigned, kAskedOnce, 0}
#define I2C_DATA_LENGTH {"Enter I2C Data Len (e.g. 2 = 0x02): ", kAnswerDecimal, kAskedOnce, 0}
#define PHYMEM_CHANNEL {"Enter Register Channel Pin (e.g. 1 to 9): ", kAnswerHexUnsigned, kAskedOnce, 0}
#define PHYMEM_VALUE {"Enter Register Value Pin (e.g. 0x1): ", kAnswerHexUnsigned, kAskedOnce, 0}
#define SPI_DEVICE_AND_MODE                                           \
    {"Enter SPI Device (1,2): ", kAnswerDecimal, kAskedOnce, 0},      \
        {"Enter SPI Mode (0..3): ", kAnswerDecimal, kAskedOnce, 0}
#define SPI_BIT_COUNT {"Enter SPI Write Data Bitcount (e.g. 1 - 128): ", kAnswerDecimal, kAskedOnce, 0}
#define SPI_FLASH_SETTINGS                                                         \
    SPI_DEVICE_AND_MODE, {"Enter SPI Instruction Set (e.g. 0x02): ", kAnswerHexUnsigned, kAskedOnce, 0}, \
        {"Enter SPI Address (e.g. 0xaa): ", kAnswerHexUnsigned, kAskedOnce, 0}
#define UART_PORT_SETTINGS                                                                                  \
    {"Enter UART Device (1,2,3): ", kAnswerDecimal, kAskedOnce, 0},                                         \
        {"Enter UART Mode (Flowcontrol: 0 = Off, 1 = Software, 2 = Hardware): ", kAnswerDecimal, kAskedOnce, \
         0},                                                                                                \
        {"Enter UART Parity Mode (Parity: 0 = NO, 1 = ODD, 2 = EVEN, 3 = MARK, 4 = SPACE): ", kAnswerDecimal, \
         kAskedOnce, 0},                                                                                    \
        {"Enter UART Stopbits Mode (Parity: 0 = ONE, 1 = ONE5STOPBITS, 2 = TWOSTOPBITS): ", kAnswerDecimal,  \
         kAskedOnce, 0},                                                                                    \
        {"Enter UART Byte size (Bytesize: 5 = QZCOM_5BIT, 6 = QZCOM_6BIT, 7 = QZCOM_7BIT, 8 = QZCOM_8BIT): ", \
         kAnswerDecimal, kAskedOnce, 0},                                                                    \
        {"Enter UART Frequency (1200 ... 256000 Hz): ", kAnswerDecimal, kAskedOnce, 0}
#define CAN_MODE {"Enter CAN Mode (CAN Mode: 0 = Standard, 1 = Extended ): ", kAnswerDecimal, kAskedOnce, 0}
#define CAN_ID {"Enter CAN ID (CAN ID: 11bit -> max 0x1FF, 29bit -> max 0xFFFFFF ): ", kAnswerHex, kAskedOnce, 0}
#define CAN_FREQUENCY \
    {"Enter CAN Frequency (20000 ... 1000000 (Bit/s)): ", kAnswerDecimalUnsigned, kAskedOnce, 0}
#define CAN_PRIO {"Enter CAN Message PRIO (0 ... 255): ", kAnswerDecimal, kAskedOnce, 0}
#define CAN_LENGTH {"Enter CAN Data Length (1 ... 8): ", kAnswerDecimal, kAskedOnce, 0}
#define CAN_FILTER_AND_MASK                                                         \
    {"Enter CAN Message Filter (e.g. 0x25): ", kAnswerHex, kAskedOnce, 0},          \
        {"Enter CAN Message Filter ID Mask (e.g. 0x1FF): ", kAnswerHex, kAskedOnce, 0}

const TestPrompt kBrightness[] = {{"Enter Backlight Level: (0 ... 255): ", kAnswerDecimal, kAskedOnce, 0}};
const TestPrompt kSuspend[] = {{"Enter Backlight Suspend Time: (0 ... 360): ", kAnswerDecimal, kAskedOnce, 0},
                               {"Enter Backlight Suspend Enable: (0 = On, 1 = Off): ", kAnswerDecimal, kAskedOnce, 0}};
const TestPrompt kKitlPower[] = {{"Enter KITL Power Status: (0 = Off, 1 = On)", kAnswerDecimal, kAskedOnce, 0}};
const TestPrompt kLoopback[] = {{"Enter Gpio1 Pin (e.g. 1 = GPIO_A): ", kAnswerDecimal, kAskedOnce, 0},
                                {"Enter Gpio2 Pin (e.g. 2 = GPIO_B): ", kAnswerDecimal, kAskedOnce, 0}};
const TestPrompt kLed[] = {{"Enter Gpio LED Pin (e.g. 1 = LED1): ", kAnswerDecimal, kAskedOnce, 0},
                           {"Enter Gpio LED State (e.g. 1|0): ", kAnswerDecimal, kAskedOnce, 0}};
const TestPrompt kSetPin[] = {{"Enter Gpio Pin (e.g. 1 = GPIO_A): ", kAnswerDecimal, kAskedOnce, 0},
                              {"Enter Gpio State (e.g. 1|0): ", kAnswerDecimal, kAskedOnce, 0}};
const TestPrompt kGetPin[] = {{"Enter Gpio Pin (e.g. 1 = GPIO_A): ", kAnswerDecimal, kAskedOnce, 0}};
const TestPrompt kInterrupt[] = {
    {"Enter Input Gpio Pin (e.g. 1 = GPIO_A): ", kAnswerDecimal, kAskedOnce, 0},
    {"Enter ISR Type (e.g. 0=Low, 1=High, 2=Rise, 3=Fall, 4=Both, 5=None): ", kAnswerDecimal, kAskedOnce, 0},
    {"[Interrupt Detect] Interrupt Event Detected (Count: N), Continue? [Yes/No]: ", kAnswerYesNo, kAskedUntilNo,
     0}};
const TestPrompt kPinState[] = {{"Enter Gpio Pin State (e.g. 0 = Off, 1 = On): ", kAnswerDecimal, kAskedOnce, 0}};
const TestPrompt kI2CWrite[] = {I2C_BUS_AND_ADDRESSES,
                                {"Enter I2C Data (e.g. 1 = 0x01): ", kAnswerHexUnsigned, kAskedOnce, 0}};
const TestPrompt kI2CRead[] = {I2C_BUS_AND_ADDRESSES};
const TestPrompt kI2CWriteFlash[] = {I2C_BUS_AND_ADDRESSES,
                                     {"Enter I2C Data (e.g. 1 = 0x01): ", kAnswerWord, kAskedOnce, 0},
                                     I2C_DATA_LENGTH};
const TestPrompt kI2CReadFlash[] = {I2C_BUS_AND_ADDRESSES, I2C_DATA_LENGTH};
const TestPrompt kRegisterWrite[] = {
    {"Enter Register Address (e.g. 0x0209c700): ", kAnswerHexUnsigned, kAskedOnce, 0}, PHYMEM_CHANNEL,
    PHYMEM_VALUE};
const TestPrompt kRegisterRead[] = {
    {"Enter Register Address (e.g. 0x0209c700); ", kAnswerHexUnsigned, kAskedOnce, 0}, PHYMEM_CHANNEL};
const TestPrompt kRegisterThreads[] = {
    {"Enter Register Address 1 (e.g. 0x0209c700): ", kAnswerHexUnsigned, kAskedOnce, 0},
    {"Enter Register Address 2(e.g. 0x0209c700): ", kAnswerHexUnsigned, kAskedOnce, 0},
    {"Enter Register Address 3(e.g. 0x0209c700): ", kAnswerHexUnsigned, kAskedOnce, 0},
    {"Enter Register Address 4(e.g. 0x0209c700): ", kAnswerHexUnsigned, kAskedOnce, 0}};
const TestPrompt kSpiExchange[] = {SPI_DEVICE_AND_MODE, SPI_BIT_COUNT,
                                   {"Enter SPI Data[i] (e.g. 0x0000ffff): ", kAnswerHexUnsigned, kAskedPerDataWord,
                                    2}};
const TestPrompt kSpiRead[] = {SPI_DEVICE_AND_MODE, SPI_BIT_COUNT};
const TestPrompt kSpiFlashWrite[] = {SPI_FLASH_SETTINGS,
                                     {"Enter SPI Write Data Bytecount (1 - 2): ", kAnswerDecimal, kAskedOnce, 0},
                                     {"Enter SPI Data[i] (e.g. 0xaa): ", kAnswerHexUnsigned, kAskedPerByte, 4}};
const TestPrompt kSpiFlashRead[] = {SPI_FLASH_SETTINGS,
                                    {"Enter SPI Read Data Bytecount (1 - 2): ", kAnswerDecimal, kAskedOnce, 0}};
const TestPrompt kUartWrite[] = {UART_PORT_SETTINGS, {"Enter UART Data (e.g. abc): ", kAnswerWord, kAskedOnce, 0}};
const TestPrompt kUartRead[] = {UART_PORT_SETTINGS,
                                {"Enter UART Character Count (1 ... 100): ", kAnswerDecimal, kAskedOnce, 0}};
const TestPrompt kUartContinuous[] = {UART_PORT_SETTINGS};
const TestPrompt kCanWrite[] = {CAN_MODE, CAN_ID, CAN_FREQUENCY, CAN_PRIO,
                                {"Enter CAN Data (e.g. abc): ", kAnswerWord, kAskedOnce, 0}};
const TestPrompt kCanRead[] = {CAN_MODE, CAN_FREQUENCY, CAN_LENGTH};
const TestPrompt kCanRemoteWrite[] = {CAN_MODE, CAN_ID, CAN_FREQUENCY, CAN_PRIO, CAN_LENGTH};
const TestPrompt kCanFilterWrite[] = {CAN_MODE, CAN_ID, CAN_FREQUENCY, CAN_PRIO, CAN_FILTER_AND_MASK, CAN_LENGTH};
const TestPrompt kCanFilterRead[] = {CAN_MODE, CAN_FREQUENCY, CAN_FILTER_AND_MASK, CAN_LENGTH};
const TestPrompt kCanAsync[] = {CAN_MODE, CAN_FREQUENCY, CAN_ID,
                                {"Enter CAN Write Data (e.g. abc): ", kAnswerWord, kAskedOnce, 0},
                                {"Enter CAN Read Data Length (1 ... 8): ", kAnswerDecimal, kAskedOnce, 0},
                                {"Enter CAN Timeout (e.g. 1000 = 1s (msec)): ", kAnswerDecimal, kAskedOnce, 0},
                                {"Enter CAN Write Loop Delay (e.g. 1000 = 1s (msec)): ", kAnswerDecimal, kAskedOnce,
                                 0}};

#define PROMPTS(list) list, COUNT_OF(list)
#define NO_PROMPTS NULL, 0

const TestInfo kTests[] = {
    {"backlight.brightness", "backlight", 1, 1, "Set Backlight Brightness Test", PROMPTS(kBrightness), 0, NULL},
    {"backlight.suspend", "backlight", 1, 2, "Set Backlight Suspend Test", PROMPTS(kSuspend), 0, NULL},
    {"control.reboot", "control", 2, 1, "Reboot Device", NO_PROMPTS, kTestNoStatusLine,
     "The device restarts, and the program with it."},
    {"control.restart-kitl", "control", 2, 2, "Restart KITL Connection", NO_PROMPTS, 0, NULL},
    {"control.kitl-power", "control", 2, 3, "Restart KITL Connection", PROMPTS(kKitlPower), 0, NULL},
    {"gpio.loopback", "gpio", 3, 1, "Gpio Loopback Test", PROMPTS(kLoopback), 0, NULL},
    {"gpio.led", "gpio", 3, 2, "Gpio LED Test", PROMPTS(kLed), 0, NULL},
    {"gpio.set-pin", "gpio", 3, 3, "Gpio Set Pin State", PROMPTS(kSetPin), kTestNoStatusLine, NULL},
    {"gpio.get-pin", "gpio", 3, 4, "Gpio Get Pin State", PROMPTS(kGetPin), kTestNoStatusLine, NULL},
    {"gpio.button-interrupt", "gpio", 3, 5, "GPIO Button Interrupt Test", PROMPTS(kInterrupt), kTestWaitsForSpace,
     "With ISR type 1 or 2 it waits for Space before the first interrupt; the box follows each interrupt."},
    {"gpio.button-polling", "gpio", 3, 6, "Gpio Button Polling Test", NO_PROMPTS,
     kTestWaitsForSpace | kTestNoStatusLine, "Copies the buttons onto the LEDs until Space."},
    {"gpio.pwm-pin", "gpio", 3, 7, "Gpio PWM Pin State", PROMPTS(kPinState), 0, NULL},
    {"gpio.int-prio-pin", "gpio", 3, 8, "Gpio INT_PRIO Pin State", PROMPTS(kPinState), 0, NULL},
    {"i2c.write", "i2c", 4, 1, "I2C Write Test", PROMPTS(kI2CWrite), 0, NULL},
    {"i2c.read", "i2c", 4, 2, "I2C Read Test", PROMPTS(kI2CRead), 0, NULL},
    {"i2c.write-flash", "i2c", 4, 3, "I2C Write Flash Test", PROMPTS(kI2CWriteFlash), 0, NULL},
    {"i2c.read-flash", "i2c", 4, 4, "I2C Read Flash Test", PROMPTS(kI2CReadFlash), 0, NULL},
    {"phymem.write", "phymem", 5, 1, "Write Register Test", PROMPTS(kRegisterWrite), 0, NULL},
    {"phymem.read", "phymem", 5, 2, "Read Register Test", PROMPTS(kRegisterRead), 0, NULL},
    {"phymem.write-return", "phymem", 5, 3, "Write and Return Register Test", PROMPTS(kRegisterWrite), 0, NULL},
    {"phymem.threads", "phymem", 5, 4, "Asyscron Write and Read Register Test", PROMPTS(kRegisterThreads), 0,
     "Reads the four registers on channels 1 to 4, one worker thread each."},
    {"touch.clear", "touch", 6, 1, "Clear Touch Data Test", NO_PROMPTS, 0, NULL},
    {"touch.calibrate", "touch", 6, 2, "Set Touch Data Test", NO_PROMPTS, 0, NULL},
    {"version.library", "version", 7, 1, "Get QZHalLib Version Test", NO_PROMPTS, kTestNoStatusLine, NULL},
    {"version.bsp", "version", 7, 2, "Get BSP Version Test", NO_PROMPTS, kTestNoStatusLine, NULL},
    {"version.image", "version", 7, 3, "Get WinCE Image Version Test", NO_PROMPTS, kTestNoStatusLine, NULL},
    {"spi.exchange", "spi", 8, 1, "SPI Write/Read Exchange Test", PROMPTS(kSpiExchange), 0, NULL},
    {"spi.read", "spi", 8, 2, "SPI Read Exchange Test", PROMPTS(kSpiRead), 0, NULL},
    {"spi.loopback", "spi", 8, 3, "SPI Write/Read Loopback Test", PROMPTS(kSpiExchange), 0, NULL},
    {"spi.eeprom-write", "spi", 8, 4, "Write Flash Test (25aa010a)", PROMPTS(kSpiFlashWrite), 0, NULL},
    {"spi.eeprom-read", "spi", 8, 5, "Read Flash Test (25aa010a)", PROMPTS(kSpiFlashRead), 0, NULL},
    {"uart.write", "uart", 9, 1, "UART Write Test", PROMPTS(kUartWrite), 0, NULL},
    {"uart.read", "uart", 9, 2, "UART Read Test", PROMPTS(kUartRead), 0, NULL},
    {"uart.continuous-read", "uart", 9, 3, "UART Continious Read Test", PROMPTS(kUartContinuous),
     kTestWaitsForSpace, "Shows what arrives until Space."},
    {"can.write", "can", 10, 1, "CAN Write Test", PROMPTS(kCanWrite), 0, NULL},
    {"can.read", "can", 10, 2, "CAN Read Test", PROMPTS(kCanRead), 0, NULL},
    {"can.remote-write", "can", 10, 3, "CAN Remote Write Test", PROMPTS(kCanRemoteWrite), 0, NULL},
    {"can.remote-read", "can", 10, 4, "CAN Remote Read Test", PROMPTS(kCanRead), 0, NULL},
    {"can.filter-write", "can", 10, 5, "CAN Filter Write Test", PROMPTS(kCanFilterWrite), 0, NULL},
    {"can.filter-read", "can", 10, 6, "CAN Filter Read Test", PROMPTS(kCanFilterRead), 0, NULL},
    {"can.async", "can", 10, 7, "CAN Async Read/Write Test", PROMPTS(kCanAsync), kTestWaitsForSpace,
     "Reads and writes on two worker threads until Space."},
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
    std::printf("  %2u. \"%s\"\n      %s", static_cast<unsigned>(number), prompt.text, AnswerKindText(prompt.kind));
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
    case kAnswerYesNo: return LowerCase(text)[0] == 'y' ? 1 : 0;
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
    }
}
