#include "kernel_side.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <memory>
#include <net/if.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

// <sys/ioctl.h> would bring the C library's termios types along.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace {

using Clock = std::chrono::steady_clock;

const std::string kGpioSim = "/run/gpio-sim";

// Opens or throws, so that a test on a broken machine says what broke.
int OpenOrThrow(const std::string &path, int flags) {
    int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    return fd;
}

template <typename Check>
bool WaitUntil(int timeoutMs, Check check) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (check()) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::string LinePath(int offset, const std::string &file) {
    return kGpioSim + "/sim_gpio" + std::to_string(offset) + "/" + file;
}

}  // namespace

std::string ReadText(const std::string &path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteText(const std::string &path, const std::string &text) {
    std::ofstream file(path);
    file << text;
    file.close();
    if (!file) throw std::runtime_error("cannot write " + path);
}

void SetPull(int offset, bool up) { WriteText(LinePath(offset, "pull"), up ? "pull-up" : "pull-down"); }

int LineLevel(int offset) { return std::stoi(ReadText(LinePath(offset, "value"))); }

bool WaitForGpioInterrupt(int timeoutMs) {
    return WaitUntil(timeoutMs, [] { return ReadText("/proc/interrupts").find(" qzhaltest\n") != std::string::npos; });
}

std::vector<uint8_t> EepromBytes(int bus, uint8_t address, size_t count) {
    int fd = OpenOrThrow("/dev/i2c-" + std::to_string(bus), O_RDWR);
    std::vector<uint8_t> bytes(count);
    i2c_msg messages[2] = {{0x50, 0, 1, &address}, {0x50, I2C_M_RD, static_cast<__u16>(count), bytes.data()}};
    i2c_rdwr_ioctl_data transfer = {messages, 2};
    int result = ioctl(fd, I2C_RDWR, &transfer);
    close(fd);
    if (result < 0) throw std::runtime_error("I2C_RDWR failed on bus " + std::to_string(bus));
    return bytes;
}

uint32_t WindowWord(uint64_t address) {
    int fd = OpenOrThrow("/dev/mem", O_RDONLY | O_SYNC);
    uint64_t page = address & ~uint64_t{0xfff};
    void *mapped = mmap(nullptr, 0x1000, PROT_READ, MAP_SHARED, fd, static_cast<off_t>(page));
    close(fd);
    if (mapped == MAP_FAILED) throw std::runtime_error("cannot map the memory window");
    uint32_t word = *reinterpret_cast<volatile uint32_t *>(static_cast<char *>(mapped) + (address - page));
    munmap(mapped, 0x1000);
    return word;
}

PortLine PortSettings(const std::string &path) {
    int fd = OpenOrThrow(path, O_RDONLY | O_NOCTTY | O_NONBLOCK);
    termios2 settings{};
    int result = ioctl(fd, TCGETS2, &settings);
    close(fd);
    if (result != 0) throw std::runtime_error("cannot read the settings of " + path);
    PortLine line;
    line.baud = settings.c_ospeed;
    tcflag_t size = settings.c_cflag & CSIZE;
    line.byteSize = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
    line.parity = (settings.c_cflag & PARENB) != 0;
    line.oddParity = (settings.c_cflag & PARODD) != 0;
    line.markSpace = (settings.c_cflag & CMSPAR) != 0;
    line.twoStopBits = (settings.c_cflag & CSTOPB) != 0;
    line.rtsCts = (settings.c_cflag & CRTSCTS) != 0;
    line.xonXoff = (settings.c_iflag & IXON) != 0;
    return line;
}

CanPeer::CanPeer(const std::string &interface)
    : interface_(interface), socket_(::socket(PF_CAN, SOCK_RAW | SOCK_CLOEXEC, CAN_RAW)) {
    sockaddr_can address{};
    address.can_family = AF_CAN;
    address.can_ifindex = static_cast<int>(if_nametoindex(interface.c_str()));
    if (socket_ < 0 || bind(socket_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot open a CAN socket on " + interface);
}

CanPeer::~CanPeer() { close(socket_); }

void CanPeer::Send(canid_t id, const std::vector<uint8_t> &data, bool remote, uint8_t length) {
    can_frame frame{};
    frame.can_id = id | (remote ? CAN_RTR_FLAG : 0);
    frame.len = remote ? length : static_cast<uint8_t>(data.size());
    for (size_t i = 0; i < data.size() && i < CAN_MAX_DLEN; ++i) frame.data[i] = data[i];
    if (write(socket_, &frame, sizeof frame) != static_cast<ssize_t>(sizeof frame))
        throw std::runtime_error("cannot send on " + interface_);
}

std::vector<can_frame> CanPeer::Received(int timeoutMs) {
    std::vector<can_frame> frames;
    pollfd ready = {socket_, POLLIN, 0};
    while (poll(&ready, 1, frames.empty() ? timeoutMs : 0) > 0) {
        can_frame frame{};
        if (read(socket_, &frame, sizeof frame) != static_cast<ssize_t>(sizeof frame)) break;
        frames.push_back(frame);
    }
    return frames;
}

int CanPeer::PendingError() {
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        throw std::runtime_error("cannot read the CAN socket's error");
    return error;
}

SerialEnd::SerialEnd(const std::string &path)
    : path_(path), fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    if (fd_ < 0) throw std::runtime_error("cannot open " + path);
    ioctl(fd_, TCFLSH, TCIFLUSH);
}

SerialEnd::~SerialEnd() { close(fd_); }

void SerialEnd::Send(const std::string &text) {
    if (write(fd_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("cannot write " + path_);
}

std::string SerialEnd::Received(size_t count, int timeoutMs) {
    std::string text;
    pollfd ready = {fd_, POLLIN, 0};
    while (text.size() < count && poll(&ready, 1, timeoutMs) > 0) {
        char bytes[256];
        ssize_t got = read(fd_, bytes, sizeof bytes);
        if (got <= 0) break;
        text.append(bytes, static_cast<size_t>(got));
    }
    return text;
}

// The system call the program's main thread is in (/proc/PID/syscall;
// "running" while it runs), -1 with no program.
long ProgramSystemCall() {
    std::unique_ptr<DIR, int (*)(DIR *)> proc(opendir("/proc"), closedir);
    for (dirent *entry; proc && (entry = readdir(proc.get()));) {
        std::string pid = entry->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        if (ReadText("/proc/" + pid + "/comm") != "qzhaltest\n") continue;
        long number = -1;
        std::istringstream(ReadText("/proc/" + pid + "/syscall")) >> number;
        return number;
    }
    return -1;
}

bool WaitForProgramBlockedInPoll(int timeoutMs) {
    return WaitUntil(timeoutMs, [] {
        long call = ProgramSystemCall();
        return call == SYS_poll || call == SYS_ppoll;
    });
}

// /proc/net/can/rcvlist_fil lists each socket's filters: device, id, mask.
bool WaitForCanFilter(canid_t id, canid_t mask, int timeoutMs) {
    return WaitUntil(timeoutMs, [&] {
        std::istringstream lines(ReadText("/proc/net/can/rcvlist_fil"));
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string device, idText, maskText;
            if (!(words >> device >> idText >> maskText) || device != "vcan0") continue;
            try {
                if (std::stoul(idText, nullptr, 16) == id && std::stoul(maskText, nullptr, 16) == mask) return true;
            } catch (const std::exception &) {
            }
        }
        return false;
    });
}

bool WriteTextWithin(const std::string &path, const std::string &text, int timeoutMs) {
    // 0 writing, 1 written, 2 failed.
    auto state = std::make_shared<std::atomic<int>>(0);
    std::thread writer([path, text, state] {
        try {
            WriteText(path, text);
            *state = 1;
        } catch (const std::exception &) {
            *state = 2;
        }
    });
    bool returned = WaitUntil(timeoutMs, [&] { return *state != 0; });
    if (!returned) {
        writer.detach();
        return false;
    }
    writer.join();
    if (*state == 2) throw std::runtime_error("cannot write " + path);
    return true;
}

bool UnbindDriver(const std::string &bus, const std::string &driver, const std::string &device, int timeoutMs) {
    return WriteTextWithin("/sys/bus/" + bus + "/drivers/" + driver + "/unbind", device, timeoutMs);
}

void BindDriver(const std::string &bus, const std::string &driver, const std::string &device) {
    WriteText("/sys/bus/" + bus + "/drivers/" + driver + "/bind", device);
}

void SetCanLink(bool up) {
    std::string command = std::string("ip link set vcan0 ") + (up ? "up" : "down");
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

void SetGpioChipLive(bool live) {
    const std::string device = "/sys/kernel/config/gpio-sim/vm";
    WriteText(device + "/live", live ? "1" : "0");
    if (!live) return;
    auto firstLine = [](const std::string &path) {
        std::string text = ReadText(path);
        return text.substr(0, text.find('\n'));
    };
    std::string target =
        "/sys/devices/platform/" + firstLine(device + "/dev_name") + "/" + firstLine(device + "/bank0/chip_name");
    unlink(kGpioSim.c_str());
    if (symlink(target.c_str(), kGpioSim.c_str()) != 0) throw std::runtime_error("cannot link " + kGpioSim);
}

void StopSerialPair() {
    char port[64] = {};
    if (readlink("/dev/ttyV0", port, sizeof port - 1) <= 0) throw std::runtime_error("no /dev/ttyV0");
    DIR *processes = opendir("/proc");
    if (!processes) throw std::runtime_error("cannot list /proc");
    while (dirent *entry = readdir(processes)) {
        pid_t pid = std::atoi(entry->d_name);
        if (pid > 0 && ReadText("/proc/" + std::to_string(pid) + "/comm") == "ptypair\n") kill(pid, SIGKILL);
    }
    closedir(processes);
    // The relay's end is gone once the kernel has removed the port's node.
    struct stat node;
    if (!WaitUntil(2000, [&] { return stat(port, &node) != 0; }))
        throw std::runtime_error(std::string(port) + " is still there");
}

void StartSerialPair() {
    if (std::system("ptypair /dev/ttyV0 /dev/ttyV1") != 0) throw std::runtime_error("cannot start ptypair");
}
