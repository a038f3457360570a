#include <cstring>
#include <string>

#include "../../shell/dialogue.h"
#include "i2c_tests.h"
#include "i2c_texts.h"

namespace {


// The text of the data buffer up to its first zero byte, or the whole buffer
// when a read filled it without one.
std::string BufferText(const char *buffer, size_t size) {
    const void *end = std::memchr(buffer, '\0', size);
    return std::string(buffer, end ? static_cast<size_t>(static_cast<const char *>(end) - buffer) : size);
}

// Any 32-bit pattern, ffffffff included, as the C library's "%x" reads it.
int32_t ReadHexBits(const char *prompt) { return static_cast<int32_t>(ReadHexUnsigned(prompt)); }

std::string Hex(int32_t value) { return HexText(static_cast<uint32_t>(value)); }

}  // namespace

void I2CTests::I2CTestMenu() {
    I2CMenuState state = {};
    static const char *const kMenuItems[] = {"Write Test", "Read Test", "Write Flash Test",
                                             "Read Flash Test"};
    for (;;) {
        PrintSubMenu("Select I2C Test!", kMenuItems);
        switch (ReadMenuChoice()) {
        case 0:
            return;
        case 1:
            RunWriteTest(state);
            break;
        case 2:
            RunReadTest(state);
            break;
        case 3:
            RunWriteFlashTest(state);
            break;
        case 4:
            RunReadFlashTest(state);
            break;
        default:
            // This menu answers an unlisted choice by showing itself again.
            break;
        }
    }
}

void I2CTests::ReadBusAndAddresses(I2CMenuState &state) {
    state.deviceNumber = ReadDecimal(kI2CDevicePrompt);
    state.rateCode = ReadDecimal(kI2CRatePrompt);
    state.deviceAddress = ReadHexBits(kI2CAddressPrompt);
    state.registerAddress = ReadHexBits(kI2CRegisterPrompt);
}

// Only the low 8 bits of the length reach the library; a length that would
// run past the data buffer is refused before any transfer.
bool I2CTests::ReadDataLength(I2CMenuState &state) {
    state.dataLength = ReadDecimal(kI2CDataLengthPrompt);
    if ((state.dataLength & 0xff) <= static_cast<int32_t>(sizeof state.dataText)) return true;
    const int32_t limit = static_cast<int32_t>(sizeof state.dataText) + 1;
    PrintLine("Invalid Data Len!!! Data Len must be less than " + DecimalText(limit) + "!!!");
    return false;
}

void I2CTests::RunWriteTest(I2CMenuState &state) {
    PrintTestHeader(kI2CWriteTitle);
    ReadBusAndAddresses(state);
    state.dataByte = static_cast<uint8_t>(ReadHexUnsigned(kI2CDataPrompt));
    int result = I2CWriteTest(state.deviceNumber, state.rateCode, state.deviceAddress, state.registerAddress,
                              state.dataByte);
    PrintStatusLine("I2C Write Test from " + Hex(state.deviceAddress), result == 1);
    PrintClosingLine();
}

void I2CTests::RunReadTest(I2CMenuState &state) {
    PrintTestHeader(kI2CReadTitle);
    ReadBusAndAddresses(state);
    state.dataByte = 0;
    int result = I2CReadTest(state.deviceNumber, state.rateCode, state.deviceAddress, state.registerAddress,
                             &state.dataByte);
    PrintStatusLine("I2C Read Test from " + Hex(state.deviceAddress) + " with Data " + HexText(state.dataByte),
                    result == 1);
    PrintClosingLine();
}

void I2CTests::RunWriteFlashTest(I2CMenuState &state) {
    PrintTestHeader(kI2CWriteFlashTitle);
    ReadBusAndAddresses(state);
    ReadWord(kI2CDataPrompt, state.dataText, sizeof state.dataText);
    if (!ReadDataLength(state)) return;
    int result = I2CWriteFlashTest(state.deviceNumber, state.rateCode, state.deviceAddress,
                                   state.registerAddress, state.dataLength, state.dataText);
    PrintStatusLine("I2C Write Test from " + Hex(state.deviceAddress) + " with Register Address:" +
                        Hex(state.registerAddress),
                    result == 1);
    PrintClosingLine();
}

void I2CTests::RunReadFlashTest(I2CMenuState &state) {
    PrintTestHeader(kI2CReadFlashTitle);
    ReadBusAndAddresses(state);
    if (!ReadDataLength(state)) return;
    int result = I2CReadFlashTest(state.deviceNumber, state.rateCode, state.deviceAddress,
                                  state.registerAddress, state.dataLength, state.dataText);
    PrintStatusLine("I2C Read Test from " + Hex(state.deviceAddress) + " with Register Address:" +
                        Hex(state.registerAddress),
                    result == 1);
    PrintClosingLine();
    PrintLine("Data String: " + BufferText(state.dataText, sizeof state.dataText));
}
