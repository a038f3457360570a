#include <string>

#include "../../shell/dialogue.h"
#include "phymem_tests.h"
#include "phymem_texts.h"

namespace {


const char *const kAsyncAddressPrompts[kPhymemThreadCount] = {
    kAsyncAddressPrompt1,
    kAsyncAddressPrompt2,
    kAsyncAddressPrompt3,
    kAsyncAddressPrompt4,
};

// Typed in hexadecimal, any 32-bit pattern, as the C library's "%x" reads it.
int32_t ReadChannel() { return static_cast<int32_t>(ReadHexUnsigned(kRegisterChannelPrompt)); }

}  // namespace

void PhysicalMemoryTests::PhysicalMemoryTestMenu() {
    char statusText[kStatusTextSize] = {};
    static const char *const kMenuItems[] = {kRegisterWriteTitle, kRegisterReadTitle,
                                             kRegisterWriteReturnTitle,
                                             kRegisterThreadsTitle};
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
    PrintTestHeader(kRegisterWriteTitle);
    uint32_t address = ReadHexUnsigned(kRegisterAddressPrompt);
    int32_t channel = ReadChannel();
    uint32_t value = ReadHexUnsigned(kRegisterValuePrompt);
    CopyStatusWord(statusText, size, PhysicalWriteRegister(channel, address, value) == 1);
    PrintLine("Memory Write Test Register: " + HexText(address) + " | Value: " + HexText(value) + " | " +
              statusText + "!!!");
    PrintClosingLine();
}

void PhysicalMemoryTests::RunReadRegisterTest(char *statusText, size_t size) {
    PrintTestHeader(kRegisterReadTitle);
    uint32_t address = ReadHexUnsigned(kRegisterReadAddressPrompt);
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
    PrintTestHeader(kRegisterWriteReturnTitle);
    uint32_t address = ReadHexUnsigned(kRegisterAddressPrompt);
    int32_t channel = ReadChannel();
    uint32_t value = ReadHexUnsigned(kRegisterValuePrompt);
    int32_t returned = 0;
    CopyStatusWord(statusText, size, PhysicalWriteReturn(channel, address, value, returned) == 1);
    PrintLine("Memory Write Test Register: 0x" + HexText(address) + " | Value: 0x" + HexText(value) +
              " | Return 0x" + HexText(static_cast<uint32_t>(returned)) + " | " + statusText + "!!!");
    PrintClosingLine();
}

void PhysicalMemoryTests::RunAsyncReadTest(char *statusText, size_t size) {
    PrintTestHeader(kRegisterThreadsTitle);
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
