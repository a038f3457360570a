// The test machine's devices seen from the kernel's side, for the checks
// beside the transcripts: gpio-sim's line levels and pulls, the I2C
// EEPROMs' bytes, a second CAN socket on vcan0, the serial port's settings,
// sysfs files and the /dev/mem window.
#ifndef TESTS_LINUX_TRANSCRIPTS_KERNEL_SIDE_H
#define TESTS_LINUX_TRANSCRIPTS_KERNEL_SIDE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <linux/can.h>
#include <string>
#include <vector>

// Where the payload is in the test machine: the program, its library and
// the board map.
inline const std::string kPayload = "/payload";
inline const std::string kBoardMap = kPayload + "/board.conf";

// An action for a point of the dialogue (InputStep::action): it runs on the
// harness's writer thread, where a failure to reach a device must fail the
// test rather than end the process.
template <typename Action>
std::function<void()> InDialogue(Action action) {
    return [action] {
        try {
            action();
        } catch (const std::exception &error) {
            ADD_FAILURE() << error.what();
        }
    };
}

std::string ReadText(const std::string &path);
void WriteText(const std::string &path, const std::string &text);

// gpio-sim line `offset` of chip vm-gpio (the map's GPIO offset + 1).
void SetPull(int offset, bool up);
int LineLevel(int offset);
// Waits until the program has asked for a GPIO line's edge events: its
// interrupt handler, named after the program, is in /proc/interrupts.
// False after `timeoutMs`.
bool WaitForGpioInterrupt(int timeoutMs);

// Bytes of the EEPROM at 0x50 on /dev/i2c-<bus>, through I2C_RDWR.
std::vector<uint8_t> EepromBytes(int bus, uint8_t address, size_t count);

// 32-bit word of the physical memory window, through /dev/mem.
uint32_t WindowWord(uint64_t address);

// The line settings of a serial device as the kernel holds them.
struct PortLine {
    uint32_t baud;
    int byteSize;
    bool parity, oddParity, markSpace, twoStopBits, rtsCts, xonXoff;
};
PortLine PortSettings(const std::string &path);

// The test's end of a serial line (the pair's other end, or a port the test
// holds open). Input that no one read before it was opened is dropped.
class SerialEnd {
public:
    explicit SerialEnd(const std::string &path);
    ~SerialEnd();
    SerialEnd(const SerialEnd &) = delete;
    SerialEnd &operator=(const SerialEnd &) = delete;

    int fd() const { return fd_; }
    void Send(const std::string &text);
    // What has come, waiting up to `timeoutMs` for `count` bytes.
    std::string Received(size_t count, int timeoutMs);

private:
    std::string path_;
    int fd_;
};

// A second raw socket on vcan0 (or another CAN interface), opened before
// the program starts.
class CanPeer {
public:
    explicit CanPeer(const std::string &interface = "vcan0");
    ~CanPeer();
    CanPeer(const CanPeer &) = delete;
    CanPeer &operator=(const CanPeer &) = delete;

    void Send(canid_t id, const std::vector<uint8_t> &data, bool remote = false, uint8_t length = 0);
    // The frames received so far, waiting up to `timeoutMs` for the first.
    std::vector<can_frame> Received(int timeoutMs);
    // The error the kernel left on the socket (ENETDOWN once its interface
    // went down), taken; 0 for none.
    int PendingError();

private:
    std::string interface_;
    int socket_;
};

// Waits until a CAN socket on vcan0 has set the filter (id, mask) in the
// kernel's terms; false after `timeoutMs`.
bool WaitForCanFilter(canid_t id, canid_t mask, int timeoutMs);

// Waits until the program's main thread is blocked in poll (a transfer
// waiting on its device); false after `timeoutMs`.
bool WaitForProgramBlockedInPoll(int timeoutMs);

// Devices taken away and brought back by the tests of devices that vanish
// mid-test, through the interfaces a technician would use.

// Writes `text` to a sysfs file (a driver's bind or unbind); false when the
// write has not returned within `timeoutMs` (it then finishes on its own,
// once the kernel lets it).
bool WriteTextWithin(const std::string &path, const std::string &text, int timeoutMs);
// Detaches device `device` of bus `bus` from its driver and attaches it again.
bool UnbindDriver(const std::string &bus, const std::string &driver, const std::string &device, int timeoutMs);
void BindDriver(const std::string &bus, const std::string &driver, const std::string &device);

// Sets vcan0 down or up.
void SetCanLink(bool up);

// Removes the gpio-sim chip or creates it again (its sysfs side, /run/gpio-sim,
// follows).
void SetGpioChipLive(bool live);

// Ends the serial pair's relay, so that /dev/ttyV0 is hung up and gone, and
// starts a new one.
void StopSerialPair();
void StartSerialPair();

#endif
