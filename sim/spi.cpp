// SPI devices of the simulated board: device 0 carries the 25AA010A EEPROM,
// device 1 a loopback that returns every bit it is sent.
#include <mutex>

#include "../hal/QZHalLib.h"
#include "sim_call.h"
#include "sim_reset.h"
#include "spi_eeprom.h"
#include "../boardlib/spi_wire.h"

namespace {

constexpr int32_t kEepromDevice = 0;
constexpr int32_t kDeviceCount = 2;
constexpr int32_t kMaxMode = 3;
constexpr uint32_t kMaxClockHz = 20000000;
constexpr int32_t kMaxFrameBits = 4096;

struct SpiDevice {
    bool open = false;
    bool configured = false;
    int32_t mode = 0;
};

struct SpiBus {
    std::mutex mutex;
    SpiDevice devices[kDeviceCount];
    SpiEeprom eeprom;
};

// Created on first use and never destroyed.
SpiBus &Bus() {
    static SpiBus &bus = *new SpiBus;
    return bus;
}

bool KnownDevice(int32_t device) { return device >= 0 && device < kDeviceCount; }

bool ValidFrame(int32_t bitCount) { return bitCount >= 1 && bitCount <= kMaxFrameBits; }

int32_t Open(int32_t device) {
    if (!KnownDevice(device)) return 0;
    SpiBus &bus = Bus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    SpiDevice &spi = bus.devices[device];
    if (spi.open) return 0;
    spi = SpiDevice{};
    spi.open = true;
    return 1;
}

int32_t Configure(int32_t device, int32_t mode, uint32_t clockHz) {
    if (!KnownDevice(device) || mode < 0 || mode > kMaxMode || clockHz < 1 || clockHz > kMaxClockHz) return 0;
    SpiBus &bus = Bus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    SpiDevice &spi = bus.devices[device];
    if (!spi.open) return 0;
    spi.configured = true;
    spi.mode = mode;
    return 1;
}

int32_t Exchange(int32_t device, int32_t bitCount, const uint32_t *tx, uint32_t *rx) {
    if (!KnownDevice(device) || !ValidFrame(bitCount) || !tx || !rx) return 0;
    SpiBus &bus = Bus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    const SpiDevice &spi = bus.devices[device];
    if (!spi.open || !spi.configured) return 0;
    SpiBits out = SpiWireBits(tx, bitCount);
    if (device == kEepromDevice) out = bus.eeprom.Frame(out, spi.mode, SpiEeprom::Clock::now());
    SpiStoreWireBits(out, rx);
    return 1;
}

int32_t Close(int32_t device) {
    if (!KnownDevice(device)) return 0;
    SpiBus &bus = Bus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    SpiDevice &spi = bus.devices[device];
    if (!spi.open) return 0;
    spi = SpiDevice{};
    return 1;
}

}  // namespace

void SimSpiReset() {
    SpiBus &bus = Bus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    for (SpiDevice &spi : bus.devices) spi = SpiDevice{};
    bus.eeprom.Restart();
}

extern "C" {

int32_t QZHAL_CALL SPIOpen(int32_t device) {
    return SimCall("SPIOpen", TraceArgs().Int(device), 0, [&] { return Open(device); });
}

int32_t QZHAL_CALL SPIConfigure(int32_t device, int32_t mode, uint32_t clockHz, int32_t option) {
    return SimCall("SPIConfigure", TraceArgs().Int(device).Int(mode).Unsigned(clockHz).Int(option), 0,
                   [&] { return Configure(device, mode, clockHz); });
}

int32_t QZHAL_CALL SPIExchange(int32_t device, int32_t bitCount, uint32_t *tx, uint32_t *rx) {
    // The trace shows the words the frame takes; a count the library refuses
    // shows only the first word, so the trace never reads past the caller's
    // buffer.
    size_t traced = ValidFrame(bitCount) ? SpiWordCount(bitCount) : 1;
    return SimCall("SPIExchange", TraceArgs().Int(device).Int(bitCount).Words(tx, traced).Pointer(rx), 0,
                   [&] { return Exchange(device, bitCount, tx, rx); });
}

int32_t QZHAL_CALL SPIClose(int32_t device) {
    return SimCall("SPIClose", TraceArgs().Int(device), 0, [&] { return Close(device); });
}

}  // extern "C"
