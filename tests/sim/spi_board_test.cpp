// The simulated SPI bus called directly: the wire order of SPIExchange, the
// 25AA010A model (with its clock in the test's hand) and the device rules.
#include <gtest/gtest.h>

#include "../../hal/QZHalLib.h"
#include "../../sim/spi_eeprom.h"
#include "../../boardlib/spi_wire.h"

namespace {

using Clock = SpiEeprom::Clock;

SpiBits BitsOf(const std::string &text) {
    SpiBits bits;
    for (char c : text) bits.push_back(c == '1' ? 1 : 0);
    return bits;
}

// A frame of whole bytes, most significant bit of the first byte first.
SpiBits Bytes(std::initializer_list<uint8_t> bytes) {
    SpiBits bits;
    for (uint8_t byte : bytes)
        for (int bit = 7; bit >= 0; --bit) bits.push_back(static_cast<uint8_t>((byte >> bit) & 1));
    return bits;
}

uint8_t ByteAt(const SpiBits &bits, size_t index) {
    uint8_t byte = 0;
    for (size_t i = 0; i < 8; ++i) byte = static_cast<uint8_t>(byte << 1 | bits[index * 8 + i]);
    return byte;
}

TEST(SpiWire, ShortFrameTakesTheLowBitsOfWordZeroMostSignificantFirst) {
    uint32_t words[] = {0xfffffff5u};  // only the low 5 bits go out: 10101
    EXPECT_EQ(SpiWireBits(words, 5), BitsOf("10101"));
    EXPECT_EQ(SpiWireBits(words, 1), BitsOf("1"));
}

TEST(SpiWire, LongFrameTakesWholeWordsThenTheLowBitsOfTheLast) {
    uint32_t words[] = {0x80000001u, 0xfffffff6u};
    SpiBits bits = SpiWireBits(words, 36);
    EXPECT_EQ(bits, BitsOf("10000000000000000000000000000001" "0110"));
    uint32_t exact[] = {0x1u, 0x80000000u};
    EXPECT_EQ(SpiWireBits(exact, 64).size(), 64u);
    EXPECT_EQ(SpiWireBits(exact, 64)[32], 1);
}

TEST(SpiWire, ReceivedBitsLandWhereTheyWereTakenAndTheRestIsZero) {
    uint32_t sent[] = {0xdeadbeefu, 0x12345678u, 0xcafef00du};
    uint32_t back[] = {0xffffffffu, 0xffffffffu, 0xffffffffu};
    SpiStoreWireBits(SpiWireBits(sent, 72), back);
    EXPECT_EQ(back[0], 0xdeadbeefu);
    EXPECT_EQ(back[1], 0x12345678u);
    EXPECT_EQ(back[2], 0x0du);
    uint32_t one[] = {0xffffffffu, 0xabcu};
    SpiStoreWireBits(BitsOf("101"), one);
    EXPECT_EQ(one[0], 5u);
    EXPECT_EQ(one[1], 0xabcu);  // words past the frame are not touched
}

class SpiEepromModel : public testing::Test {
protected:
    SpiBits Frame(std::initializer_list<uint8_t> bytes, int32_t mode = 0) {
        return eeprom.Frame(Bytes(bytes), mode, now);
    }
    void Write(uint8_t address, std::initializer_list<uint8_t> data) {
        Frame({SpiEeprom::kWriteEnable});
        SpiBits frame = Bytes({SpiEeprom::kWrite, address});
        SpiBits bytes = Bytes(data);
        frame.insert(frame.end(), bytes.begin(), bytes.end());
        eeprom.Frame(frame, 0, now);
        now += SpiEeprom::kWriteCycle;
    }
    uint8_t Read(uint8_t address) { return ByteAt(Frame({SpiEeprom::kRead, address, 0}), 2); }

    SpiEeprom eeprom;
    Clock::time_point now = Clock::time_point() + std::chrono::hours(1);
};

TEST_F(SpiEepromModel, StartsErasedAndWritesOnlyAfterWriteEnable) {
    EXPECT_EQ(Read(0x10), 0xff);
    Frame({SpiEeprom::kWrite, 0x10, 0x55});
    EXPECT_EQ(eeprom.Status(now), 0);
    EXPECT_EQ(Read(0x10), 0xff);
    Write(0x10, {0x55});
    EXPECT_EQ(Read(0x10), 0x55);
}

TEST_F(SpiEepromModel, WriteCycleIsBusyForFiveMillisecondsThenClearsWriteEnable) {
    Frame({SpiEeprom::kWriteEnable});
    EXPECT_EQ(eeprom.Status(now), SpiEeprom::kStatusWriteEnabled);
    Frame({SpiEeprom::kWrite, 0x20, 0x12});
    EXPECT_EQ(ByteAt(Frame({SpiEeprom::kReadStatus, 0}), 1), SpiEeprom::kStatusBusy | SpiEeprom::kStatusWriteEnabled);
    // While busy a read is ignored (the line reads 1) and so is a new WREN.
    EXPECT_EQ(Frame({SpiEeprom::kRead, 0x20, 0}), Bytes({0xff, 0xff, 0xff}));
    now += SpiEeprom::kWriteCycle - std::chrono::microseconds(1);
    EXPECT_EQ(eeprom.Status(now) & SpiEeprom::kStatusBusy, SpiEeprom::kStatusBusy);
    now += std::chrono::microseconds(1);
    EXPECT_EQ(eeprom.Status(now), 0);
    EXPECT_EQ(Read(0x20), 0x12);
}

TEST_F(SpiEepromModel, InstructionsDuringTheWriteCycleAreIgnored) {
    Write(0x30, {0x01});
    now -= SpiEeprom::kWriteCycle;  // back inside the cycle
    Frame({SpiEeprom::kWriteEnable});
    Frame({SpiEeprom::kWrite, 0x30, 0x02});
    now += SpiEeprom::kWriteCycle;
    EXPECT_EQ(eeprom.Status(now), 0);
    EXPECT_EQ(Read(0x30), 0x01);
}

TEST_F(SpiEepromModel, WriteDisableClearsTheLatch) {
    Frame({SpiEeprom::kWriteEnable});
    Frame({SpiEeprom::kWriteDisable});
    Frame({SpiEeprom::kWrite, 0x40, 0x66});
    EXPECT_EQ(Read(0x40), 0xff);
}

TEST_F(SpiEepromModel, WritesWrapWithinTheirPageAndReadsWrapAtTheEnd) {
    Write(0x0e, {1, 2, 3, 4});
    EXPECT_EQ(Read(0x0e), 1);
    EXPECT_EQ(Read(0x0f), 2);
    EXPECT_EQ(Read(0x00), 3);
    EXPECT_EQ(Read(0x01), 4);
    EXPECT_EQ(Read(0x10), 0xff);
    Write(0x7f, {9});
    SpiBits read = Frame({SpiEeprom::kRead, 0x7f, 0, 0});
    EXPECT_EQ(ByteAt(read, 2), 9);
    EXPECT_EQ(ByteAt(read, 3), 3);
    EXPECT_EQ(Read(0x8e), 1);  // the address bit above 7 bits is ignored
}

TEST_F(SpiEepromModel, FrameEndingInsideADataByteWritesNothing) {
    Frame({SpiEeprom::kWriteEnable});
    SpiBits frame = Bytes({SpiEeprom::kWrite, 0x50, 0x77});
    frame.push_back(1);
    eeprom.Frame(frame, 0, now);
    EXPECT_EQ(eeprom.Status(now), SpiEeprom::kStatusWriteEnabled);
    EXPECT_EQ(Read(0x50), 0xff);
}

TEST_F(SpiEepromModel, AnswersOnlyInModesZeroAndThree) {
    Write(0x60, {0x5a});
    for (int32_t mode : {1, 2}) {
        EXPECT_EQ(Frame({SpiEeprom::kRead, 0x60, 0}, mode), Bytes({0xff, 0xff, 0xff}));
        Frame({SpiEeprom::kWriteEnable}, mode);
        EXPECT_EQ(eeprom.Status(now), 0);
    }
    EXPECT_EQ(ByteAt(Frame({SpiEeprom::kRead, 0x60, 0}, 3), 2), 0x5a);
}

TEST_F(SpiEepromModel, BlockProtectionKeepsTheUpperQuarter) {
    Frame({SpiEeprom::kWriteEnable});
    Frame({SpiEeprom::kWriteStatus, 0x04});
    now += SpiEeprom::kWriteCycle;
    EXPECT_EQ(eeprom.Status(now), 0x04);
    Write(0x60, {0x11});
    Write(0x5f, {0x22});
    EXPECT_EQ(Read(0x60), 0xff);
    EXPECT_EQ(Read(0x5f), 0x22);
}

TEST_F(SpiEepromModel, RestartClearsTheLatchAndKeepsTheData) {
    Write(0x70, {0x42});
    Frame({SpiEeprom::kWriteEnable});
    eeprom.Restart();
    EXPECT_EQ(eeprom.Status(now), 0);
    EXPECT_EQ(Read(0x70), 0x42);
}

TEST(SpiBus, DevicesMustBeOpenAndConfiguredAndOpenOnlyOnce) {
    uint32_t tx[1] = {0x5};
    uint32_t rx[1] = {0};
    EXPECT_EQ(SPIOpen(2), 0);
    EXPECT_EQ(SPIExchange(1, 8, tx, rx), 0);
    ASSERT_EQ(SPIOpen(1), 1);
    EXPECT_EQ(SPIOpen(1), 0);
    EXPECT_EQ(SPIExchange(1, 8, tx, rx), 0);
    EXPECT_EQ(SPIConfigure(1, 4, 1000000, 0), 0);
    EXPECT_EQ(SPIConfigure(1, 0, 20000001, 0), 0);
    ASSERT_EQ(SPIConfigure(1, 0, 20000000, 0), 1);
    EXPECT_EQ(SPIExchange(1, 0, tx, rx), 0);
    EXPECT_EQ(SPIExchange(1, 4097, tx, rx), 0);
    EXPECT_EQ(SPIExchange(1, 8, tx, rx), 1);
    EXPECT_EQ(rx[0], 0x5u);
    EXPECT_EQ(SPIClose(1), 1);
    EXPECT_EQ(SPIClose(1), 0);
}

TEST(SpiBus, SoftResetClosesDevicesAndKeepsTheEepromContents) {
    uint32_t rx[4] = {};
    uint32_t command[1] = {SpiEeprom::kWriteEnable};
    uint32_t write[1] = {0x02117e};
    ASSERT_EQ(SPIOpen(0), 1);
    ASSERT_EQ(SPIConfigure(0, 0, 1000000, 0), 1);
    ASSERT_EQ(SPIExchange(0, 8, command, rx), 1);
    ASSERT_EQ(SPIExchange(0, 24, write, rx), 1);
    EXPECT_EQ(SoftReset(), 1);
    ASSERT_EQ(SPIOpen(0), 1);  // the reset closed it
    ASSERT_EQ(SPIConfigure(0, 0, 1000000, 0), 1);
    uint32_t status[1] = {0x0500};
    ASSERT_EQ(SPIExchange(0, 16, status, rx), 1);
    EXPECT_EQ(rx[0], 0xff00u);  // neither busy nor write-enabled
    uint32_t read[1] = {0x031100};
    ASSERT_EQ(SPIExchange(0, 24, read, rx), 1);
    EXPECT_EQ(rx[0], 0xffff7eu);
    SPIClose(0);
}

}  // namespace
