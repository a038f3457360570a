// Physical register space of the simulated board. Channels 1 to 9 reach it
// with 32-bit accesses at addresses aligned to 4. Every such address is a
// plain register reading 0 at power-on, except the read-only board ID
// register. Any number of threads may access it at once.
#include <mutex>
#include <unordered_map>

#include "../hal/QZHalLib.h"
#include "sim_call.h"
#include "sim_reset.h"

namespace {

constexpr int32_t kFirstChannel = 1;
constexpr int32_t kLastChannel = 9;
constexpr int32_t kAccessWidth = 32;
constexpr uint32_t kAlignment = 4;
constexpr uint32_t kBoardIdAddress = 0x10000000;
constexpr uint32_t kBoardId = 0x0000ab01;
constexpr int32_t kWriteRefused = -1;

// Only the registers written so far are stored; the others read 0.
struct RegisterSpace {
    std::mutex mutex;
    std::unordered_map<uint32_t, uint32_t> values;
};

// Created on first use and never destroyed.
RegisterSpace &TheRegisters() {
    static RegisterSpace &registers = *new RegisterSpace;
    return registers;
}

bool Reachable(int32_t channel, uint32_t address, int32_t width) {
    return channel >= kFirstChannel && channel <= kLastChannel && width == kAccessWidth &&
           address % kAlignment == 0;
}

uint32_t ReadRegister(uint32_t address) {
    if (address == kBoardIdAddress) return kBoardId;
    RegisterSpace &registers = TheRegisters();
    std::lock_guard<std::mutex> lock(registers.mutex);
    auto found = registers.values.find(address);
    return found == registers.values.end() ? 0u : found->second;
}

// Returns the register's value after the write.
uint32_t WriteRegister(uint32_t address, uint32_t value) {
    if (address == kBoardIdAddress) return kBoardId;
    RegisterSpace &registers = TheRegisters();
    std::lock_guard<std::mutex> lock(registers.mutex);
    registers.values[address] = value;
    return value;
}

}  // namespace

void SimPhysicalMemoryReset() {
    RegisterSpace &registers = TheRegisters();
    std::lock_guard<std::mutex> lock(registers.mutex);
    registers.values.clear();
}

extern "C" {

// The fifth argument has no meaning on this board.
int32_t QZHAL_CALL WritePhysicalAddress(int32_t channel, uint32_t address, int32_t width, uint32_t value,
                             int32_t option) {
    return SimCall("WritePhysicalAddress",
                   TraceArgs().Int(channel).Unsigned(address).Int(width).Unsigned(value).Int(option),
                   kWriteRefused, [&] {
                       if (!Reachable(channel, address, width)) return kWriteRefused;
                       // The value after the write goes back as a signed number, so
                       // one with bit 31 set reads as negative.
                       return static_cast<int32_t>(WriteRegister(address, value));
                   });
}

uint32_t QZHAL_CALL ReadPhysicalAddress(int32_t channel, uint32_t address, int32_t width) {
    return SimCall("ReadPhysicalAddress", TraceArgs().Int(channel).Unsigned(address).Int(width), 0u, [&] {
        return Reachable(channel, address, width) ? ReadRegister(address) : 0u;
    });
}

}  // extern "C"
