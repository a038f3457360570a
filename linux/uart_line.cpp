#include "uart_line.h"

#include <cerrno>
#include <cstring>
#include <termios.h>

namespace {

constexpr int32_t kMinBaud = 1200;
constexpr int32_t kMaxBaud = 256000;

// Where the input rate's code sits in c_cflag (the kernel's IBSHIFT).
constexpr int kInputRateShift = 16;
static_assert((CBAUD << kInputRateShift) == CIBAUD, "the input rate's bits are the output rate's, shifted");

struct Rate {
    int32_t baud;
    speed_t code;
};

constexpr Rate kRates[] = {{1200, B1200},     {1800, B1800},     {2400, B2400},   {4800, B4800},
                           {9600, B9600},     {19200, B19200},   {38400, B38400}, {57600, B57600},
                           {115200, B115200}, {230400, B230400}};

// B0 when the rate has no constant of its own.
speed_t RateCode(int32_t baud) {
    for (const Rate &rate : kRates)
        if (rate.baud == baud) return rate.code;
    return B0;
}

tcflag_t SizeFlag(int32_t byteSize) {
    switch (byteSize) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

tcflag_t ParityFlags(int32_t parity) {
    switch (parity) {
    case 1: return PARENB | PARODD;
    case 2: return PARENB;
    case 3: return PARENB | PARODD | CMSPAR;
    case 4: return PARENB | CMSPAR;
    default: return 0;
    }
}

void SetLine(termios &settings, const UartLine &line) {
    cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    settings.c_cflag |= CLOCAL | CREAD | SizeFlag(line.byteSize) | ParityFlags(line.parity);
    // The UART sends 1.5 stop bits for 5-bit bytes when asked for two.
    if (line.stopBits != 0) settings.c_cflag |= CSTOPB;
    if (line.flow == 2) settings.c_cflag |= CRTSCTS;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (line.flow == 1) settings.c_iflag |= IXON | IXOFF;
    if (line.parity != 0) settings.c_iflag |= INPCK;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    speed_t code = RateCode(line.baud);
    if (code == B0) code = B38400;  // until SetCustomBaud sets the rate
    cfsetospeed(&settings, code);
    // The kernel takes the input rate from the CIBAUD bits, which the C
    // library's cfsetispeed leaves alone: after a custom rate they would
    // keep it as the input rate.
    settings.c_cflag = (settings.c_cflag & ~CIBAUD) | (code << kInputRateShift);
}

// What the driver left as it was of the settings asked for: tcsetattr
// succeeds when it took any of them.
std::string Unapplied(const termios &wanted, const termios &got) {
    std::string missed;
    auto check = [&](tcflag_t bits, const char *what) {
        if ((wanted.c_cflag & bits) != (got.c_cflag & bits)) missed += std::string(missed.empty() ? "" : ", ") + what;
    };
    check(CSIZE, "byte size");
    check(PARENB | PARODD | CMSPAR, "parity");
    check(CSTOPB, "stop bits");
    check(CRTSCTS, "RTS/CTS flow control");
    if ((wanted.c_iflag & (IXON | IXOFF)) != (got.c_iflag & (IXON | IXOFF)))
        missed += std::string(missed.empty() ? "" : ", ") + "XON/XOFF flow control";
    if (cfgetospeed(&wanted) != cfgetospeed(&got)) missed += std::string(missed.empty() ? "" : ", ") + "bit rate";
    return missed;
}

}  // namespace

std::string UartLineProblem(const UartLine &line) {
    if (line.flow < 0 || line.flow > 2) return "flow control must be 0 to 2";
    if (line.baud < kMinBaud || line.baud > kMaxBaud) return "bit rate must be 1200 to 256000";
    if (line.parity < 0 || line.parity > 4) return "parity must be 0 to 4";
    if (line.stopBits < 0 || line.stopBits > 2) return "stop bits must be 0 to 2";
    if (line.byteSize < 5 || line.byteSize > 8) return "byte size must be 5 to 8";
    if (line.stopBits == 1 && line.byteSize != 5) return "1.5 stop bits need 5-bit bytes";
    if (line.stopBits == 2 && line.byteSize == 5) return "5-bit bytes take 1 or 1.5 stop bits";
    return "";
}

std::chrono::microseconds UartSendTime(const UartLine &line, size_t bytes) {
    // In half bits, for 1.5 stop bits.
    int64_t stopHalfBits = line.stopBits == 0 ? 2 : line.stopBits == 1 ? 3 : 4;
    int64_t halfBits = 2 * (1 + line.byteSize + (line.parity != 0 ? 1 : 0)) + stopHalfBits;
    return std::chrono::microseconds(static_cast<int64_t>(bytes) * halfBits * 1000000 / (2 * int64_t{line.baud}));
}

bool ApplyUartLine(int fd, const UartLine &line, uint32_t &rateInUse, std::string &why) {
    termios settings;
    if (tcgetattr(fd, &settings) != 0) {
        why = std::string("cannot read the line settings (") + std::strerror(errno) + ")";
        return false;
    }
    SetLine(settings, line);
    termios applied;
    if (tcsetattr(fd, TCSANOW, &settings) != 0 || tcgetattr(fd, &applied) != 0) {
        why = std::string("cannot set the line (") + std::strerror(errno) + ")";
        return false;
    }
    std::string missed = Unapplied(settings, applied);
    if (!missed.empty()) {
        why = "the port's driver did not take the " + missed;
        return false;
    }
    const uint32_t asked = static_cast<uint32_t>(line.baud);
    rateInUse = asked;
    if (RateCode(line.baud) != B0) return true;
    if (!SetCustomBaud(fd, asked, rateInUse)) {
        why = "cannot set " + std::to_string(asked) + " bit/s (" + std::strerror(errno) + ")";
        return false;
    }
    uint32_t off = rateInUse > asked ? rateInUse - asked : asked - rateInUse;
    if (uint64_t{off} * 100 > uint64_t{asked} * kUartRateTolerancePercent) {
        why = "the port's driver runs at " + std::to_string(rateInUse) + " bit/s when asked for " +
              std::to_string(asked) + ", more than " + std::to_string(kUartRateTolerancePercent) + "% off";
        return false;
    }
    return true;
}
