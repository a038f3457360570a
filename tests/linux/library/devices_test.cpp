// I2C, SPI and the board's reset against the stand-ins (stand_ins.h).
#include <gtest/gtest.h>

#include <linux/spi/spidev.h>

#include "../../../hal/QZHalLib.h"
#include "host_board.h"
#include "stand_ins.h"

namespace {

TEST(I2cOnStandIn, AnAddressAboveSevenBitsIsRefusedBeforeTheBus) {
    I2cStandIn &i2c = TheI2cStandIn();
    i2c.addresses.clear();
    uint8_t data = 0;
    EXPECT_EQ(I2CWrite(0, 0, 0xa0, 0, 1), 0);
    EXPECT_EQ(LastTraceLine("I2CWrite"),
              "I2CWrite(0, 0, 160, 0, 1) = 0 # I2C address 0xa0 is above 0x7f: give the 7-bit address (0x50 for an 8-bit 0xa0)");
    EXPECT_EQ(I2CRead(0, 0, 0x80, 0, &data), 0);
    EXPECT_TRUE(i2c.addresses.empty());
    EXPECT_EQ(I2CRead(0, 0, 0x50, 0, &data), 1);
    EXPECT_EQ(i2c.addresses, (std::vector<uint16_t>{0x50, 0x50}));
}

TEST(SpiOnStandIn, ConfiguringTheModeKeepsTheDevicesOtherModeBits) {
    const uint32_t deviceTree = SPI_CS_HIGH | SPI_LSB_FIRST | SPI_3WIRE;
    TheSpiStandIn().mode = deviceTree | SPI_CPHA;
    ASSERT_EQ(SPIOpen(0), 1);
    EXPECT_EQ(SPIConfigure(0, 2, 1000000, 0), 1) << LastTraceLine("SPIConfigure");
    EXPECT_EQ(TheSpiStandIn().mode, deviceTree | SPI_CPOL);
    EXPECT_EQ(SPIConfigure(0, 1, 1000000, 0), 1);
    EXPECT_EQ(TheSpiStandIn().mode, deviceTree | SPI_CPHA);
    EXPECT_EQ(SPIClose(0), 1);
}

TEST(I2cOnStandIn, ATransferThatEndsEarlyFails) {
    TheI2cStandIn().answered = 1;
    uint8_t data = 0;
    EXPECT_EQ(I2CRead(0, 0, 0x50, 7, &data), 0);
    EXPECT_EQ(LastTraceLine("I2CRead"), "I2CRead(0, 0, 80, 7, ptr) = 0 # I2C bus 0 device 0x50: 1 of 2 messages done");
    TheI2cStandIn().answered = -1;
}

TEST(BoardOnStandIn, AResetNotAllowedHasOneTraceLineWithItsReason) {
    int before = TraceLineCount("SoftReset");
    g_mayReboot = false;
    EXPECT_EQ(SoftReset(), 0);
    EXPECT_EQ(TraceLineCount("SoftReset"), before + 1);
    EXPECT_EQ(LastTraceLine("SoftReset"), "SoftReset() = 0 # rebooting needs the CAP_SYS_BOOT capability");
}

TEST(TraceOnStandIn, AnInterruptedOrShortWriteLosesNothingOfTheLine) {
    int before = TraceLineCount("QZHalLibGetVersion");
    g_interruptedWrites = 2;
    g_shortWrites = 3;
    EXPECT_EQ(QZHalLibGetVersion(), 0x01000000u);
    EXPECT_EQ(LastTraceLine("QZHalLibGetVersion"), "QZHalLibGetVersion() = 16777216");
    EXPECT_EQ(TraceLineCount("QZHalLibGetVersion"), before + 1);
}

}  // namespace
