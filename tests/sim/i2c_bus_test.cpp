// The simulated I2C buses, called directly. The EEPROMs live as long as the
// process, so each test uses registers of its own.
#include <gtest/gtest.h>

#include <array>

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

TEST(SimI2C, ASilentDeviceStoresNothing) {
    std::array<uint8_t, 4> buffer = {1, 2, 3, 4};
    EXPECT_EQ(I2CReadMultipleBytes(0, 0, 0x20, 0x10, 4, buffer.data()), 0);
    EXPECT_EQ(buffer, (std::array<uint8_t, 4>{1, 2, 3, 4}));
    uint8_t data = 7;
    EXPECT_EQ(I2CRead(1, 0, 0x00, 0x10, &data), 0);
    EXPECT_EQ(data, 7);
}

TEST(SimI2C, EachBusHasAnEepromOfItsOwn) {
    ASSERT_EQ(I2CWrite(0, 1, kEeprom, 0x20, 0x11), 1);
    ASSERT_EQ(I2CWrite(1, 1, kEeprom, 0x20, 0x22), 1);
    uint8_t data = 0;
    EXPECT_EQ(I2CRead(0, 1, kEeprom, 0x20, &data), 1);
    EXPECT_EQ(data, 0x11);
    EXPECT_EQ(I2CRead(1, 1, kEeprom, 0x20, &data), 1);
    EXPECT_EQ(data, 0x22);
}

TEST(SimI2C, MultiByteTransfersWrapAtTheEndAndAddNoTerminator) {
    uint8_t text[] = {'a', 'b', 'c'};
    ASSERT_EQ(I2CWriteMultipleBytes(0, 2, kEeprom, 0xfe, 3, text), 1);
    uint8_t data = 0;
    EXPECT_EQ(I2CRead(0, 2, kEeprom, 0x00, &data), 1);
    EXPECT_EQ(data, 'c');
    std::array<uint8_t, 5> buffer = {9, 9, 9, 9, 9};
    EXPECT_EQ(I2CReadMultipleBytes(0, 2, kEeprom, 0xfe, 3, buffer.data()), 1);
    EXPECT_EQ(buffer, (std::array<uint8_t, 5>{'a', 'b', 'c', 9, 9}));
}

TEST(SimI2C, ContentSurvivesASoftReset) {
    ASSERT_EQ(I2CWrite(1, 0, kEeprom, 0x30, 0x3c), 1);
    SoftReset();
    uint8_t data = 0;
    EXPECT_EQ(I2CRead(1, 0, kEeprom, 0x30, &data), 1);
    EXPECT_EQ(data, 0x3c);
}

}  // namespace
