#ifndef GROUPS_I2C_TESTS_H
#define GROUPS_I2C_TESTS_H

#include <cstddef>

#include "../../hal/fixed_width_types.h"

// The data text buffer: a word of up to 31 characters and its zero byte.
const size_t kI2CDataTextSize = 32;

// What the operator typed during one visit of the I2C menu. Addresses and
// length are kept whole as typed; only their low 8 bits reach the library.
struct I2CMenuState {
    int32_t deviceNumber;
    int32_t rateCode;
    int32_t deviceAddress;
    int32_t registerAddress;
    uint8_t dataByte;
    int32_t dataLength;
    char dataText[kI2CDataTextSize];
};

// I2C register and multi-byte transfers (main-menu item 4).
class I2CTests {
public:
    void I2CTestMenu();

    // One library call each, with the addresses and the length cut to 8
    // bits. They return 1 exactly when the call returned 1, else 0.
    int I2CWriteTest(int32_t device, int32_t rateCode, int32_t deviceAddress, int32_t registerAddress,
                     uint8_t data);
    int I2CReadTest(int32_t device, int32_t rateCode, int32_t deviceAddress, int32_t registerAddress,
                    uint8_t *data);
    int I2CWriteFlashTest(int32_t device, int32_t rateCode, int32_t deviceAddress, int32_t registerAddress,
                          int32_t length, char *text);
    int I2CReadFlashTest(int32_t device, int32_t rateCode, int32_t deviceAddress, int32_t registerAddress,
                         int32_t length, char *text);

private:
    void ReadBusAndAddresses(I2CMenuState &state);
    bool ReadDataLength(I2CMenuState &state);
    void RunWriteTest(I2CMenuState &state);
    void RunReadTest(I2CMenuState &state);
    void RunWriteFlashTest(I2CMenuState &state);
    void RunReadFlashTest(I2CMenuState &state);
};

#endif
