// The library side of the SPI tests: one exchange, and the EEPROM's frames.
#include "../../hal/QZHalLib.h"
#include "spi_config.h"
#include "spi_tests.h"

namespace {

const int32_t kCommandBits = 8;
const uint32_t kEepromWriteEnable = 0x06;
const uint32_t kEepromWriteDisable = 0x04;
const int kFrameBufferWords = 16;

bool CloseAndFail(int32_t deviceIndex) {
    SPIClose(deviceIndex);
    return false;
}

bool OpenAndConfigure(int32_t deviceIndex, int32_t mode) {
    if (SPIOpen(deviceIndex) != 1) return false;
    SPIConfigure(deviceIndex, mode, kSpiClockHz, kSpiConfigureOption);
    return true;
}

}  // namespace

bool SpiTests::SPIRunExchange(int32_t deviceIndex, int32_t mode, int32_t bitCount, uint32_t *transmit,
                              uint32_t *receive) {
    if (!OpenAndConfigure(deviceIndex, mode)) return false;
    int32_t exchanged = SPIExchange(deviceIndex, bitCount, transmit, receive);
    SPIClose(deviceIndex);
    return exchanged == 1;
}

void SpiTests::SPIPackFrame(int32_t bitCount, const uint32_t *values, uint32_t *frame) {
    // Rounded up; division toward zero already rounds negative counts up.
    int32_t frameBytes = bitCount / 8 + (bitCount > 0 && bitCount % 8 != 0 ? 1 : 0);
    switch (frameBytes) {
    case 1:
        *frame |= values[0];
        break;
    case 2:
        *frame |= values[0] << 8 | values[1];
        break;
    case 3:
        *frame |= values[0] << 16 | values[1] << 8 | values[2];
        break;
    default:
        *frame |= values[0] << 24 | values[1] << 16 | values[2] << 8 | values[3];
        break;
    }
}

bool SpiTests::SPIEepromWrite(int32_t deviceIndex, int32_t mode, int32_t bitCount, const uint32_t *values,
                              uint32_t *receive) {
    uint32_t command = 0;
    uint32_t commandReceive = 0;
    uint32_t frame[kFrameBufferWords] = {};
    if (!OpenAndConfigure(deviceIndex, mode)) return false;
    command = kEepromWriteEnable;
    if (SPIExchange(deviceIndex, kCommandBits, &command, &commandReceive) == 0) return CloseAndFail(deviceIndex);
    SPIPackFrame(bitCount, values, &frame[0]);
    if (SPIExchange(deviceIndex, bitCount, frame, receive) == 0) return CloseAndFail(deviceIndex);
    command = kEepromWriteDisable;
    commandReceive = 0;
    if (SPIExchange(deviceIndex, kCommandBits, &command, &commandReceive) == 0) return CloseAndFail(deviceIndex);
    SPIClose(deviceIndex);
    return true;
}

bool SpiTests::SPIEepromRead(int32_t deviceIndex, int32_t mode, int32_t bitCount, const uint32_t *values,
                             uint32_t *receive) {
    uint32_t frame[kFrameBufferWords] = {};
    if (!OpenAndConfigure(deviceIndex, mode)) return false;
    SPIPackFrame(bitCount, values, &frame[0]);
    int32_t exchanged = SPIExchange(deviceIndex, bitCount, frame, receive);
    SPIClose(deviceIndex);
    return exchanged == 1;
}
