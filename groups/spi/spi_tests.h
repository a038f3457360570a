#ifndef GROUPS_SPI_TESTS_H
#define GROUPS_SPI_TESTS_H

#include "../../hal/fixed_width_types.h"

#include "spi_config.h"

// The values of one visit of the SPI menu. The word arrays are cleared
// before every display of the menu, so no test sees the data of an earlier
// one.
struct SpiMenuState {
    int32_t device;
    int32_t mode;
    int32_t bitCount;
    int32_t byteCount;
    uint32_t transmit[kSpiWords];
    uint32_t receive[kSpiWords];
};

// SPI exchanges and the 25AA010A SPI EEPROM (main-menu item 8).
class SpiTests {
public:
    void SPITestMenu();

    // Open, configure, one exchange of bitCount bits, close. True when the
    // exchange succeeded.
    bool SPIRunExchange(int32_t deviceIndex, int32_t mode, int32_t bitCount, uint32_t *transmit,
                        uint32_t *receive);

    // ORs the EEPROM frame of ceil(bitCount / 8) bytes into *frame: values[0]
    // (the instruction) in the most significant used byte, then the address
    // and the data bytes. Values are not cut to 8 bits.
    void SPIPackFrame(int32_t bitCount, const uint32_t *values, uint32_t *frame);

    // The frame of values between the EEPROM's write enable and write
    // disable, or a read frame. True when every exchange succeeded.
    bool SPIEepromWrite(int32_t deviceIndex, int32_t mode, int32_t bitCount, const uint32_t *values,
                        uint32_t *receive);
    bool SPIEepromRead(int32_t deviceIndex, int32_t mode, int32_t bitCount, const uint32_t *values,
                       uint32_t *receive);

private:
    void SPIWriteReadExchangeTest(SpiMenuState &state);
    void SPIReadExchangeTest(SpiMenuState &state);
    void SPIWriteReadLoopbackTest(SpiMenuState &state);
    void SPIWriteFlashTest(SpiMenuState &state);
    void SPIReadFlashTest(SpiMenuState &state);

    void RunExchangeTest(SpiMenuState &state, const char *title, const char *subject, bool asksForData);
    bool ReadFlashSettings(SpiMenuState &state, const char *byteCountPrompt);
};

#endif
