// The simulated I2C buses, called directly; the transcripts of the I2C menu
// cover the transfers themselves.
#include <gtest/gtest.h>

#include "../../hal/QZHalLib.h"

namespace {

constexpr uint8_t kEeprom = 0x50;

TEST(SimI2C, OnlyTheEepromOnAKnownBusAtAKnownRateAnswers) {
    uint8_t data = 0x5a;
    EXPECT_EQ(I2CRead(0, 0, kEeprom, 0x00, &data), 1);
    EXPECT_EQ(data, 0xff);  // erased at power-on
    EXPECT_EQ(I2CRead(1, 5, kEeprom, 0x00, &data), 1);
    for (int32_t bus : {-1, 2}) EXPECT_EQ(I2CWrite(bus, 0, kEeprom, 0x00, 1), 0) << "bus " << bus;
    for (int32_t rate : {-1, 6, 9}) EXPECT_EQ(I2CWrite(0, rate, kEeprom, 0x00, 1), 0) << "rate " << rate;
    EXPECT_EQ(I2CWrite(0, 0, 0x51, 0x00, 1), 0);
    EXPECT_EQ(I2CRead(0, 0, kEeprom, 0x00, nullptr), 0);
}

TEST(SimI2C, ContentSurvivesASoftReset) {
    ASSERT_EQ(I2CWrite(1, 0, kEeprom, 0x30, 0x3c), 1);
    SoftReset();
    uint8_t data = 0;
    EXPECT_EQ(I2CRead(1, 0, kEeprom, 0x30, &data), 1);
    EXPECT_EQ(data, 0x3c);
}

}  // namespace
