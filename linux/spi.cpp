// SPI over spidev: SPIConfigure sets the device's mode and clock, and each
// SPIExchange is one SPI_IOC_MESSAGE, one chip-select frame.
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/ioctl.h>
#include <unistd.h>

#include "../hal/QZHalLib.h"
#include "../boardlib/spi_wire.h"
#include "board_map_load.h"
#include "device_files.h"
#include "linux_call.h"
#include "spi_frames.h"

namespace {

constexpr int32_t kMaxMode = 3;
constexpr uint32_t kMaxClockHz = 20000000;
constexpr int32_t kMaxFrameBits = 4096;

struct SpiDevice {
    int fd = -1;
    bool configured = false;
    uint32_t clockHz = 0;
};

struct SpiDevices {
    std::mutex mutex;
    std::map<int32_t, SpiDevice> open;  // by device index
};

SpiDevices &Devices() {
    static SpiDevices &devices = *new SpiDevices;
    return devices;
}

std::string DeviceName(int32_t device) { return "SPI device " + std::to_string(device); }

bool ValidFrame(int32_t bitCount) { return bitCount >= 1 && bitCount <= kMaxFrameBits; }

int32_t Open(int32_t device, Why &why) {
    SpiDevices &devices = Devices();
    std::lock_guard<std::mutex> lock(devices.mutex);
    if (devices.open.count(device)) return Refuse(why, DeviceName(device) + " is already open");
    int fd = OpenMappedDevice(TheBoardMap().spi, "spi", device, O_RDWR, why);
    if (fd < 0) return 0;
    devices.open[device].fd = fd;
    return 1;
}

// The open device; null with the reason in `why`.
SpiDevice *OpenDevice(SpiDevices &devices, int32_t device, Why &why) {
    auto found = devices.open.find(device);
    if (found != devices.open.end()) return &found->second;
    why = DeviceName(device) + " is not open";
    return nullptr;
}

// Sets CPOL and CPHA only: the device's other mode bits (chip select
// active high, LSB first, 3-wire, ...) are the device tree's.
bool SetClockMode(int fd, uint32_t clockMode) {
    uint32_t bits = 0;
    if (ioctl(fd, SPI_IOC_RD_MODE32, &bits) == 0) {
        bits = (bits & ~static_cast<uint32_t>(SPI_MODE_3)) | clockMode;
        return ioctl(fd, SPI_IOC_WR_MODE32, &bits) == 0;
    }
    // Kernels before 3.15 know only the low 8 bits.
    uint8_t low = 0;
    if (ioctl(fd, SPI_IOC_RD_MODE, &low) != 0) return false;
    low = static_cast<uint8_t>((low & ~SPI_MODE_3) | clockMode);
    return ioctl(fd, SPI_IOC_WR_MODE, &low) == 0;
}

int32_t Configure(int32_t device, int32_t mode, uint32_t clockHz, Why &why) {
    if (mode < 0 || mode > kMaxMode) return Refuse(why, "mode must be 0 to 3");
    if (clockHz < 1 || clockHz > kMaxClockHz) return Refuse(why, "clock must be 1 to 20000000 Hz");
    SpiDevices &devices = Devices();
    std::lock_guard<std::mutex> lock(devices.mutex);
    SpiDevice *spi = OpenDevice(devices, device, why);
    if (!spi) return 0;
    if (!SetClockMode(spi->fd, static_cast<uint32_t>(mode))) return Refuse(why, SystemError("cannot set SPI mode"));
    uint8_t bitsPerWord = 8;
    if (ioctl(spi->fd, SPI_IOC_WR_BITS_PER_WORD, &bitsPerWord) < 0)
        return Refuse(why, SystemError("cannot set 8 bits per word"));
    if (ioctl(spi->fd, SPI_IOC_WR_MAX_SPEED_HZ, &clockHz) < 0)
        return Refuse(why, SystemError("cannot set the SPI clock"));
    spi->configured = true;
    spi->clockHz = clockHz;
    return 1;
}

int32_t Exchange(int32_t device, int32_t bitCount, const uint32_t *tx, uint32_t *rx, Why &why) {
    if (!ValidFrame(bitCount)) return Refuse(why, "frame must be 1 to 4096 bits");
    if (!tx || !rx) return Refuse(why, "no transmit or receive words");
    SpiDevices &devices = Devices();
    std::lock_guard<std::mutex> lock(devices.mutex);
    SpiDevice *spi = OpenDevice(devices, device, why);
    if (!spi) return 0;
    if (!spi->configured) return Refuse(why, DeviceName(device) + " is not configured");
    SpiFrame frame(tx, bitCount, spi->clockHz);
    auto &transfers = frame.Transfers();
    if (ioctl(spi->fd, SPI_IOC_MESSAGE(transfers.size()), transfers.data()) < 0)
        return Refuse(why, SystemError("SPI transfer failed"));
    frame.StoreReceived(rx);
    return 1;
}

int32_t Close(int32_t device, Why &why) {
    SpiDevices &devices = Devices();
    std::lock_guard<std::mutex> lock(devices.mutex);
    SpiDevice *spi = OpenDevice(devices, device, why);
    if (!spi) return 0;
    close(spi->fd);
    devices.open.erase(device);
    return 1;
}

}  // namespace

extern "C" {

int32_t QZHAL_CALL SPIOpen(int32_t device) {
    return LinuxCall("SPIOpen", TraceArgs().Int(device), 0, [&](Why &why) { return Open(device, why); });
}

int32_t QZHAL_CALL SPIConfigure(int32_t device, int32_t mode, uint32_t clockHz, int32_t option) {
    return LinuxCall("SPIConfigure", TraceArgs().Int(device).Int(mode).Unsigned(clockHz).Int(option), 0,
                     [&](Why &why) { return Configure(device, mode, clockHz, why); });
}

int32_t QZHAL_CALL SPIExchange(int32_t device, int32_t bitCount, uint32_t *tx, uint32_t *rx) {
    // A count the library refuses shows only the first word, so the trace
    // never reads past the caller's buffer.
    size_t traced = ValidFrame(bitCount) ? SpiWordCount(bitCount) : 1;
    return LinuxCall("SPIExchange", TraceArgs().Int(device).Int(bitCount).Words(tx, traced).Pointer(rx), 0,
                     [&](Why &why) { return Exchange(device, bitCount, tx, rx, why); });
}

int32_t QZHAL_CALL SPIClose(int32_t device) {
    return LinuxCall("SPIClose", TraceArgs().Int(device), 0, [&](Why &why) { return Close(device, why); });
}

}  // extern "C"
