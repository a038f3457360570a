#include <string>

#include "../../shell/dialogue.h"
#include "phymem_tests.h"

namespace {

const char kAddressPrompt[] = "Enter Register Address (e.g. 0x0209c700): ";
const char kChannelPrompt[] = "Enter Register Channel Pin (e.g. 1 to 9): ";
const char kValuePrompt[] = "Enter Register Value Pin (e.g. 0x1): ";

const char *const kAsyncAddressPrompts[kPhymemThreadCount] = {
    "Enter Register Address 1 (e.g. 0x0209c700): ",
    "Enter Register Address 2(e.g. 0x0209c700): ",
    "Enter Register Address 3(e.g. 0x0209c700): ",
    "Enter Register Address 4(e.g. 0x0209c700): ",
};

// Typed in hexadecimal, any 32-bit pattern, as the C library's "%x" reads it.
int32_t ReadChannel() { return static_cast<int32_t>(ReadHexUnsigned(kChannelPrompt)); }

}  // namespace

void PhysicalMemoryTests::PhysicalMemoryTestMenu() {
    char statusText[kStatusTextSize] = {};
    static const char *const kMenuItems[] = {"Write Register Test", "Read Register Test",
                                             "Write and Return Register Test",
                                             "Asyscron Write and Read Register Test"};
    for (;;) {
        PrintSubMenu("Select Physical Memory Test!", kMenuItems);
        switch (ReadMenuChoice()) {
        case 0:
            return;
        case 1:
            RunWriteRegisterTest(statusText, sizeof statusText);
            break;
        case 2:
            RunReadRegisterTest(statusText, sizeof statusText);
            break;
        case 3:
            RunWriteReturnTest(statusText, sizeof statusText);
            break;
        case 4:
            RunAsyncReadTest(statusText, sizeof statusText);
            break;
        default:
            PrintNotValidTestFunction();
            break;
        }
    }
}

void PhysicalMemoryTests::RunWriteRegisterTest(char *statusText, size_t size) {
    PrintTestHeader("Write Register Test");
    uint32_t address = ReadHexUnsigned(kAddressPrompt);
    int32_t channel = ReadChannel();
    uint32_t value = ReadHexUnsigned(kValuePrompt);
    CopyStatusWord(statusText, size, PhysicalWriteRegister(channel, address, value) == 1);
    PrintLine("Memory Write Test Register: " + HexText(address) + " | Value: " + HexText(value) + " | " +
              statusText + "!!!");
    PrintClosingLine();
}

void PhysicalMemoryTests::RunReadRegisterTest(char *statusText, size_t size) {
    PrintTestHeader("Read Register Test");
    uint32_t address = ReadHexUnsigned("Enter Register Address (e.g. 0x0209c700); ");
    int32_t channel = ReadChannel();
    uint32_t value = 0;
    PhysicalReadRegister(channel, address, value);
    // A read has no failure outcome.
    CopyStatusWord(statusText, size, true);
    PrintLine("Memory Read Test Register: " + HexText(address) + " | Value: " + HexText(value) + " | " +
              statusText + "!!!");
    PrintClosingLine();
}

void PhysicalMemoryTests::RunWriteReturnTest(char *statusText, size_t size) {
    PrintTestHeader("Write and Return Register Test");
    uint32_t address = ReadHexUnsigned(kAddressPrompt);
    int32_t channel = ReadChannel();
    uint32_t value = ReadHexUnsigned(kValuePrompt);
    int32_t returned = 0;
    CopyStatusWord(statusText, size, PhysicalWriteReturn(channel, address, value, returned) == 1);
    PrintLine("Memory Write Test Register: 0x" + HexText(address) + " | Value: 0x" + HexText(value) +
              " | Return 0x" + HexText(static_cast<uint32_t>(returned)) + " | " + statusText + "!!!");
    PrintClosingLine();
}

void PhysicalMemoryTests::RunAsyncReadTest(char *statusText, size_t size) {
    PrintTestHeader("Asyscron Write and Read Register Test");
    PrintLine("Use Channel 1 to 4");
    PrintClosingLine();
    uint32_t addresses[kPhymemThreadCount] = {};
    for (size_t i = 0; i < kPhymemThreadCount; ++i) addresses[i] = ReadHexUnsigned(kAsyncAddressPrompts[i]);
    uint32_t results[kPhymemThreadCount] = {};
    CopyStatusWord(statusText, size, PhymemAsyncRead(addresses, results) == 1);
    for (size_t i = 0; i < kPhymemThreadCount; ++i) {
        PrintLine("Memory Write Read Asyncron Test Register " + DecimalText(static_cast<int32_t>(i)) + ": 0x" +
                  HexText(addresses[i]) + " | Return 0x" + HexText(results[i]) + " | " + statusText + "!!!");
    }
    PrintClosingLine();
}
