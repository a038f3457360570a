#include "spi_eeprom.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr size_t kByteBits = 8;
constexpr uint8_t kIdleLine = 0xff;
constexpr uint8_t kAddressMask = 0x7f;
constexpr int kProtectionShift = 2;

}  // namespace

enum class Phase { Instruction, Address, ReadData, WriteData, StatusOut, StatusIn, Ignored };

struct SpiEeprom::FrameState {
    Phase phase = Phase::Instruction;
    int instruction = -1;  // the accepted instruction, -1 for none
    uint8_t address = 0;
    std::vector<std::pair<uint8_t, uint8_t>> writes;  // address, data
    int newStatus = -1;
};

SpiEeprom::SpiEeprom() { memory_.fill(0xff); }

SpiBits SpiEeprom::Frame(const SpiBits &in, int32_t mode, Clock::time_point now) {
    SpiBits out(in.size(), 1);
    if (mode != 0 && mode != 3) return out;
    FinishWriteCycle(now);
    FrameState frame;
    for (size_t first = 0; first < in.size(); first += kByteBits) {
        size_t bits = std::min(kByteBits, in.size() - first);
        uint8_t outByte = OutputByte(frame, now);
        uint8_t inByte = 0;
        for (size_t i = 0; i < bits; ++i) {
            out[first + i] = static_cast<uint8_t>((outByte >> (kByteBits - 1 - i)) & 1u);
            inByte = static_cast<uint8_t>((inByte << 1) | (in[first + i] & 1u));
        }
        // A byte cut short by the end of the frame is never latched.
        if (bits == kByteBits) TakeByte(frame, inByte, now);
    }
    EndFrame(frame, in.size() % kByteBits == 0, now);
    return out;
}

void SpiEeprom::Restart() {
    writing_ = false;
    writeEnabled_ = false;
}

uint8_t SpiEeprom::Status(Clock::time_point now) {
    bool busy = Busy(now);
    return static_cast<uint8_t>((busy ? kStatusBusy : 0) | (writeEnabled_ ? kStatusWriteEnabled : 0) |
                                (protection_ << kProtectionShift));
}

uint8_t SpiEeprom::OutputByte(const FrameState &frame, Clock::time_point now) {
    if (frame.phase == Phase::ReadData) return memory_[frame.address];
    if (frame.phase == Phase::StatusOut) return Status(now);
    return kIdleLine;
}

void SpiEeprom::TakeByte(FrameState &frame, uint8_t byte, Clock::time_point now) {
    switch (frame.phase) {
    case Phase::Instruction:
        TakeInstruction(frame, byte, now);
        break;
    case Phase::Address:
        frame.address = static_cast<uint8_t>(byte & kAddressMask);
        frame.phase = frame.instruction == kRead ? Phase::ReadData : Phase::WriteData;
        break;
    case Phase::ReadData:
        frame.address = static_cast<uint8_t>((frame.address + 1) & kAddressMask);
        break;
    case Phase::WriteData: {
        // The address wraps within its page, as in the part's page buffer.
        frame.writes.emplace_back(frame.address, byte);
        uint8_t page = static_cast<uint8_t>(frame.address & ~(kPageSize - 1));
        frame.address = static_cast<uint8_t>(page | ((frame.address + 1) & (kPageSize - 1)));
        break;
    }
    case Phase::StatusIn:
        if (frame.newStatus < 0) frame.newStatus = byte;
        break;
    case Phase::StatusOut:
    case Phase::Ignored:
        break;
    }
}

void SpiEeprom::TakeInstruction(FrameState &frame, uint8_t instruction, Clock::time_point now) {
    frame.phase = Phase::Ignored;
    if (Busy(now) && instruction != kReadStatus) return;
    switch (instruction) {
    case kRead:
        frame.phase = Phase::Address;
        break;
    case kWrite:
        if (writeEnabled_) frame.phase = Phase::Address;
        break;
    case kWriteStatus:
        if (writeEnabled_) frame.phase = Phase::StatusIn;
        break;
    case kReadStatus:
        frame.phase = Phase::StatusOut;
        break;
    case kWriteEnable:
    case kWriteDisable:
        break;
    default:
        return;
    }
    frame.instruction = instruction;
}

void SpiEeprom::EndFrame(const FrameState &frame, bool endsOnByte, Clock::time_point now) {
    switch (frame.instruction) {
    case kWriteEnable:
        writeEnabled_ = true;
        break;
    case kWriteDisable:
        writeEnabled_ = false;
        break;
    case kWrite:
        // Only a frame that ends right after a whole data byte starts a write.
        if (!endsOnByte || frame.writes.empty()) return;
        for (const auto &write : frame.writes)
            if (write.first < FirstProtectedAddress()) memory_[write.first] = write.second;
        StartWriteCycle(now);
        break;
    case kWriteStatus:
        if (!endsOnByte || frame.newStatus < 0) return;
        protection_ = static_cast<uint8_t>((frame.newStatus & kStatusProtection) >> kProtectionShift);
        StartWriteCycle(now);
        break;
    default:
        break;
    }
}

void SpiEeprom::StartWriteCycle(Clock::time_point now) {
    writing_ = true;
    writeEnd_ = now + kWriteCycle;
}

void SpiEeprom::FinishWriteCycle(Clock::time_point now) {
    if (!writing_ || now < writeEnd_) return;
    writing_ = false;
    writeEnabled_ = false;
}

bool SpiEeprom::Busy(Clock::time_point now) {
    FinishWriteCycle(now);
    return writing_;
}

size_t SpiEeprom::FirstProtectedAddress() const {
    // BP1:BP0 = 0 none, 1 the upper quarter, 2 the upper half, 3 everything.
    static constexpr size_t kFirst[] = {kSize, kSize - kSize / 4, kSize / 2, 0};
    return kFirst[protection_ & 3];
}
