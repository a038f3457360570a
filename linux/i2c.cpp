// I2C over i2c-dev: each transfer is one I2C_RDWR call. A register write is
// the register address and the data in one message; a register read is the
// register address, a repeated start and the read. Linux fixes the bus
// clock in the device tree, so the rate code is checked and recorded only.
// The bus's device is opened for each transfer and closed after it: the
// kernel removes an adapter (its driver unbound, its module unloaded) only
// once no one holds its i2c-dev file, so a file kept open would stall that
// until the program ends and keep the program on the old adapter.
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <map>
#include <mutex>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "../hal/QZHalLib.h"
#include "board_map_load.h"
#include "device_files.h"
#include "linux_call.h"

namespace {

constexpr int32_t kRateCodeCount = 6;  // 100, 400, 800, 1600, 2400, 3200 kbit/s
constexpr uint8_t kMaxAddress = 0x7f;   // 7-bit addresses: i2c-dev's 10-bit ones need I2C_M_TEN
// A device that does not acknowledge is asked again for this long: an
// EEPROM does not answer while it writes a page (about 5 ms).
constexpr auto kBusyDeviceWait = std::chrono::milliseconds(10);
constexpr auto kRetryInterval = std::chrono::milliseconds(1);

struct I2cBuses {
    std::mutex mutex;
    std::map<int32_t, int32_t> rateCodes;   // the last rate code asked for
};

I2cBuses &Buses() {
    static I2cBuses &buses = *new I2cBuses;
    return buses;
}

std::string HexByte(uint8_t value) {
    static const char kDigits[] = "0123456789abcdef";
    return std::string("0x") + kDigits[value >> 4] + kDigits[value & 0xf];
}

// The bus's device, open for one transfer.
class BusFile {
public:
    BusFile(int32_t bus, Why &why) : fd_(OpenMappedDevice(TheBoardMap().i2c, "i2c", bus, O_RDWR, why)) {}
    ~BusFile() {
        if (fd_ >= 0) close(fd_);
    }
    BusFile(const BusFile &) = delete;
    BusFile &operator=(const BusFile &) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

bool NotAcknowledged(int error) { return error == ENXIO || error == EREMOTEIO; }

// Runs the messages as one combined transfer, asking a device that does not
// acknowledge again for a short while.
int32_t Transfer(int32_t bus, int32_t rateCode, uint8_t device, std::vector<i2c_msg> &messages, Why &why) {
    if (rateCode < 0 || rateCode >= kRateCodeCount) return Refuse(why, "rate code must be 0 to 5");
    // Many adapters keep only 8 bits of (address << 1): a datasheet's 8-bit
    // address would reach another device.
    if (device > kMaxAddress)
        return Refuse(why, "I2C address " + HexByte(device) + " is above 0x7f: give the 7-bit address (" +
                               HexByte(device >> 1) + " for an 8-bit " + HexByte(device) + ")");
    I2cBuses &buses = Buses();
    std::lock_guard<std::mutex> lock(buses.mutex);
    BusFile file(bus, why);
    int fd = file.fd();
    if (fd < 0) return 0;
    buses.rateCodes[bus] = rateCode;
    i2c_rdwr_ioctl_data transfer = {messages.data(), static_cast<__u32>(messages.size())};
    auto giveUp = std::chrono::steady_clock::now() + kBusyDeviceWait;
    std::string target = "I2C bus " + std::to_string(bus) + " device " + HexByte(device);
    for (;;) {
        int done = ioctl(fd, I2C_RDWR, &transfer);
        if (done == static_cast<int>(messages.size())) return 1;
        // An adapter may stop after some of the messages.
        if (done >= 0)
            return Refuse(why, target + ": " + std::to_string(done) + " of " + std::to_string(messages.size()) +
                                   " messages done");
        if (!NotAcknowledged(errno) || std::chrono::steady_clock::now() >= giveUp) break;
        std::this_thread::sleep_for(kRetryInterval);
    }
    if (NotAcknowledged(errno)) return Refuse(why, SystemError(target + " does not answer"));
    return Refuse(why, SystemError(target + ": transfer failed"));
}

int32_t WriteRegister(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg, const uint8_t *data,
                      size_t length, Why &why) {
    if (!data && length > 0) return Refuse(why, "no data");
    std::vector<uint8_t> bytes(1, reg);
    bytes.insert(bytes.end(), data, data + length);
    std::vector<i2c_msg> messages = {{device, 0, static_cast<__u16>(bytes.size()), bytes.data()}};
    return Transfer(bus, rateCode, device, messages, why);
}

int32_t ReadRegister(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg, uint8_t *data, size_t length,
                     Why &why) {
    if (!data && length > 0) return Refuse(why, "no buffer");
    std::vector<i2c_msg> messages = {{device, 0, 1, &reg}};
    if (length > 0) messages.push_back({device, I2C_M_RD, static_cast<__u16>(length), data});
    return Transfer(bus, rateCode, device, messages, why);
}

}  // namespace

extern "C" {

int32_t QZHAL_CALL I2CWrite(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg, uint8_t data) {
    return LinuxCall("I2CWrite", TraceArgs().Int(bus).Int(rateCode).Unsigned(device).Unsigned(reg).Unsigned(data),
                     0, [&](Why &why) { return WriteRegister(bus, rateCode, device, reg, &data, 1, why); });
}

int32_t QZHAL_CALL I2CRead(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg, uint8_t *data) {
    return LinuxCall("I2CRead", TraceArgs().Int(bus).Int(rateCode).Unsigned(device).Unsigned(reg).Pointer(data),
                     0, [&](Why &why) {
                         if (!data) return Refuse(why, "no buffer");
                         return ReadRegister(bus, rateCode, device, reg, data, 1, why);
                     });
}

int32_t QZHAL_CALL I2CWriteMultipleBytes(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg,
                              uint8_t length, uint8_t *data) {
    return LinuxCall(
        "I2CWriteMultipleBytes",
        TraceArgs().Int(bus).Int(rateCode).Unsigned(device).Unsigned(reg).Unsigned(length).Bytes(data, length), 0,
        [&](Why &why) { return WriteRegister(bus, rateCode, device, reg, data, length, why); });
}

int32_t QZHAL_CALL I2CReadMultipleBytes(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg,
                             uint8_t length, uint8_t *data) {
    return LinuxCall(
        "I2CReadMultipleBytes",
        TraceArgs().Int(bus).Int(rateCode).Unsigned(device).Unsigned(reg).Unsigned(length).Pointer(data), 0,
        [&](Why &why) { return ReadRegister(bus, rateCode, device, reg, data, length, why); });
}

}  // extern "C"
