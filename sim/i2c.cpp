// I2C buses of the simulated board: buses 0 and 1, each with a 256-byte
// EEPROM at device address 0x50 whose register is the byte address. No other
// device answers. The EEPROMs keep their content across SoftReset.
#include <array>
#include <mutex>

#include "../hal/QZHalLib.h"
#include "sim_call.h"

namespace {

constexpr int32_t kBusCount = 2;
constexpr int32_t kRateCodeCount = 6;  // 100, 400, 800, 1600, 2400, 3200 kbit/s
constexpr uint8_t kEepromDevice = 0x50;
constexpr size_t kEepromSize = 256;
constexpr uint8_t kErasedByte = 0xff;

struct Eeproms {
    std::mutex mutex;
    std::array<std::array<uint8_t, kEepromSize>, kBusCount> bytes;
    Eeproms() {
        for (auto &eeprom : bytes) eeprom.fill(kErasedByte);
    }
};

// Created on first use and never destroyed.
Eeproms &TheEeproms() {
    static Eeproms &eeproms = *new Eeproms;
    return eeproms;
}

// Whether a transfer reaches a device that answers: a known bus, a known
// rate and the EEPROM's address.
bool Answers(int32_t bus, int32_t rateCode, uint8_t device) {
    return bus >= 0 && bus < kBusCount && rateCode >= 0 && rateCode < kRateCodeCount &&
           device == kEepromDevice;
}

// Byte addresses count up from reg and wrap at the end of the EEPROM; the
// uint8_t index wraps by itself.
void WriteEeprom(int32_t bus, uint8_t reg, const uint8_t *data, size_t length) {
    Eeproms &eeproms = TheEeproms();
    std::lock_guard<std::mutex> lock(eeproms.mutex);
    auto &eeprom = eeproms.bytes[static_cast<size_t>(bus)];
    for (size_t i = 0; i < length; ++i) eeprom[static_cast<uint8_t>(reg + i)] = data[i];
}

void ReadEeprom(int32_t bus, uint8_t reg, uint8_t *data, size_t length) {
    Eeproms &eeproms = TheEeproms();
    std::lock_guard<std::mutex> lock(eeproms.mutex);
    const auto &eeprom = eeproms.bytes[static_cast<size_t>(bus)];
    for (size_t i = 0; i < length; ++i) data[i] = eeprom[static_cast<uint8_t>(reg + i)];
}

}  // namespace

extern "C" {

int32_t QZHAL_CALL I2CWrite(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg, uint8_t data) {
    return SimCall("I2CWrite", TraceArgs().Int(bus).Int(rateCode).Unsigned(device).Unsigned(reg).Unsigned(data),
                   0, [&] {
                       if (!Answers(bus, rateCode, device)) return 0;
                       WriteEeprom(bus, reg, &data, 1);
                       return 1;
                   });
}

int32_t QZHAL_CALL I2CRead(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg, uint8_t *data) {
    return SimCall("I2CRead", TraceArgs().Int(bus).Int(rateCode).Unsigned(device).Unsigned(reg).Pointer(data),
                   0, [&] {
                       if (!data || !Answers(bus, rateCode, device)) return 0;
                       ReadEeprom(bus, reg, data, 1);
                       return 1;
                   });
}

int32_t QZHAL_CALL I2CWriteMultipleBytes(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg,
                              uint8_t length, uint8_t *data) {
    return SimCall("I2CWriteMultipleBytes",
                   TraceArgs().Int(bus).Int(rateCode).Unsigned(device).Unsigned(reg).Unsigned(length).Bytes(data, length),
                   0, [&] {
                       if ((!data && length > 0) || !Answers(bus, rateCode, device)) return 0;
                       WriteEeprom(bus, reg, data, length);
                       return 1;
                   });
}

int32_t QZHAL_CALL I2CReadMultipleBytes(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg,
                             uint8_t length, uint8_t *data) {
    return SimCall("I2CReadMultipleBytes",
                   TraceArgs().Int(bus).Int(rateCode).Unsigned(device).Unsigned(reg).Unsigned(length).Pointer(data),
                   0, [&] {
                       if ((!data && length > 0) || !Answers(bus, rateCode, device)) return 0;
                       ReadEeprom(bus, reg, data, length);
                       return 1;
                   });
}

}  // extern "C"
