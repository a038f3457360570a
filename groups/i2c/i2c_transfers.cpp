// The library calls of the I2C tests. The library takes 8-bit addresses and
// an 8-bit length: only the low 8 bits of what was typed reach it.
#include "../../hal/QZHalLib.h"
#include "i2c_tests.h"

namespace {

uint8_t Low8Bits(int32_t value) { return static_cast<uint8_t>(value & 0xff); }

int OneMeansSuccess(int32_t result) { return result == 1 ? 1 : 0; }

}  // namespace

int I2CTests::I2CWriteTest(int32_t device, int32_t rateCode, int32_t deviceAddress, int32_t registerAddress,
                           uint8_t data) {
    return OneMeansSuccess(I2CWrite(device, rateCode, Low8Bits(deviceAddress), Low8Bits(registerAddress), data));
}

int I2CTests::I2CReadTest(int32_t device, int32_t rateCode, int32_t deviceAddress, int32_t registerAddress,
                          uint8_t *data) {
    return OneMeansSuccess(I2CRead(device, rateCode, Low8Bits(deviceAddress), Low8Bits(registerAddress), data));
}

// Reported by the library's result like the other transfers, so that a write
// that no device answered shows as a failure.
int I2CTests::I2CWriteFlashTest(int32_t device, int32_t rateCode, int32_t deviceAddress,
                                int32_t registerAddress, int32_t length, char *text) {
    return OneMeansSuccess(I2CWriteMultipleBytes(device, rateCode, Low8Bits(deviceAddress),
                                                 Low8Bits(registerAddress), Low8Bits(length),
                                                 reinterpret_cast<uint8_t *>(text)));
}

int I2CTests::I2CReadFlashTest(int32_t device, int32_t rateCode, int32_t deviceAddress,
                               int32_t registerAddress, int32_t length, char *text) {
    return OneMeansSuccess(I2CReadMultipleBytes(device, rateCode, Low8Bits(deviceAddress),
                                                Low8Bits(registerAddress), Low8Bits(length),
                                                reinterpret_cast<uint8_t *>(text)));
}
