// The 25AA010A serial EEPROM on SPI device 0: 128 bytes in 16-byte pages,
// erased to 0xff, driven one chip-select frame at a time.
//
// Instructions: READ 0x03, WRITE 0x02, WRDI 0x04, WREN 0x06, RDSR 0x05,
// WRSR 0x01. A write needs the write-enable latch (WEL), keeps the part busy
// (WIP) for 5 ms and clears WEL at its end; while busy every instruction but
// RDSR is ignored. The part answers in SPI modes 0 and 3 only. Where it does
// not drive its output the line reads 1.
//
// Not thread-safe: the SPI bus that owns it serialises the frames.
#ifndef SIM_SPI_EEPROM_H
#define SIM_SPI_EEPROM_H

#include <array>
#include <chrono>
#include <cstdint>

#include "../boardlib/spi_wire.h"

class SpiEeprom {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr size_t kSize = 128;
    static constexpr size_t kPageSize = 16;
    static constexpr Clock::duration kWriteCycle = std::chrono::milliseconds(5);

    static constexpr uint8_t kRead = 0x03;
    static constexpr uint8_t kWrite = 0x02;
    static constexpr uint8_t kWriteDisable = 0x04;
    static constexpr uint8_t kWriteEnable = 0x06;
    static constexpr uint8_t kReadStatus = 0x05;
    static constexpr uint8_t kWriteStatus = 0x01;

    static constexpr uint8_t kStatusBusy = 0x01;         // WIP
    static constexpr uint8_t kStatusWriteEnabled = 0x02;  // WEL
    static constexpr uint8_t kStatusProtection = 0x0c;    // BP1, BP0

    SpiEeprom();

    // One chip-select frame: the bits on SI in, the bits on SO back.
    SpiBits Frame(const SpiBits &in, int32_t mode, Clock::time_point now);

    // What a reboot does: the write-enable latch is cleared and a write in
    // progress completes. The array and the block protection are kept.
    void Restart();

    uint8_t Status(Clock::time_point now);
    uint8_t ByteAt(size_t address) const { return memory_[address % kSize]; }

private:
    struct FrameState;

    uint8_t OutputByte(const FrameState &frame, Clock::time_point now);
    void TakeByte(FrameState &frame, uint8_t byte, Clock::time_point now);
    void TakeInstruction(FrameState &frame, uint8_t instruction, Clock::time_point now);
    void EndFrame(const FrameState &frame, bool endsOnByte, Clock::time_point now);
    void StartWriteCycle(Clock::time_point now);
    void FinishWriteCycle(Clock::time_point now);
    bool Busy(Clock::time_point now);
    size_t FirstProtectedAddress() const;

    std::array<uint8_t, kSize> memory_;
    uint8_t protection_ = 0;  // BP1:BP0, non-volatile
    bool writeEnabled_ = false;
    bool writing_ = false;
    Clock::time_point writeEnd_{};
};

#endif
