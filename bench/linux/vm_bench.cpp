// Figures of the Linux board library in the test machine (tests/linux/vm),
// printed, not judged: the program's start-up time, and the CAN async test
// against vcan0 at full speed with a second socket echoing every frame, as
// the simulated board's peer does (compare bench/can_async_bench.py).
//
// Usage (inside the machine): vm_bench [seconds]; bench/linux/run-in-vm
// builds the payload and runs it there.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <net/if.h>
#include <poll.h>
#include <regex>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <linux/can.h>

#include "program_run.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

double MedianSeconds(const std::string &script, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        RunProgram(script);
        times.push_back(Seconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A node on vcan0 that sends back every frame it receives, until stopped.
class EchoNode {
public:
    EchoNode() : socket_(::socket(PF_CAN, SOCK_RAW | SOCK_CLOEXEC, CAN_RAW)) {
        sockaddr_can address{};
        address.can_family = AF_CAN;
        address.can_ifindex = static_cast<int>(if_nametoindex("vcan0"));
        if (socket_ < 0 || bind(socket_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            std::perror("vcan0");
            std::exit(1);
        }
        thread_ = std::thread([this] { Echo(); });
    }
    ~EchoNode() {
        stop_ = true;
        thread_.join();
        close(socket_);
    }
    EchoNode(const EchoNode &) = delete;
    EchoNode &operator=(const EchoNode &) = delete;

private:
    void Echo() {
        while (!stop_) {
            pollfd ready = {socket_, POLLIN, 0};
            if (poll(&ready, 1, 50) <= 0) continue;
            can_frame frame;
            if (read(socket_, &frame, sizeof frame) == static_cast<ssize_t>(sizeof frame))
                while (write(socket_, &frame, sizeof frame) < 0 && errno == ENOBUFS) std::this_thread::yield();
        }
    }

    int socket_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

int LastCount(const std::string &output, const std::string &kind) {
    static const std::regex line("CAN (Read|Write) Count: (\\d+) ");
    int last = -1;
    for (std::sregex_iterator match(output.begin(), output.end(), line), end; match != end; ++match)
        if ((*match)[1] == kind) last = std::stoi((*match)[2]);
    return last;
}

// Mode 0, 1000000 bit/s, ID 0x25, 8 data bytes, read length 8, timeout
// 1000 ms, write loop delay 0; Space after `seconds` from the first line.
void CanAsync(double seconds) {
    EchoNode echo;
    Clock::time_point first, space;
    RunOptions options;
    options.input = {{"10\n7\n0\n1000000\n25\n1122334455667788\n8\n1000\n0\n"},
                     {"", "CAN Write Count: 0 ", 1, 0, [&] { first = Clock::now(); }},
                     {" \n0\n0\n", "", 1, static_cast<int>(seconds * 1000), [&] { space = Clock::now(); }}};
    options.timeoutMs = static_cast<int>(seconds * 1000) + 20000;
    RunResult run = RunProgram(options);
    double elapsed = Seconds(space - first);
    int writes = LastCount(run.output, "Write") + 1, reads = LastCount(run.output, "Read") + 1;
    std::printf("CAN async on vcan0 at 1000000 bit/s, 8-byte frames, write loop delay 0, echoed by a second "
                "socket, over %.2f s:\n", elapsed);
    std::printf("  frames written: %8.0f /s\n  frames read:    %8.0f /s (the echoes)\n", writes / elapsed,
                reads / elapsed);
    std::printf("  exit code %d%s\n", run.exitCode, run.timedOut ? ", timed out" : "");
}

}  // namespace

int main(int argc, char **argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const int runs = 21;
    std::printf("start-up to exit (input \"0\"), median of %d: %.1f ms\n", runs, 1000 * MedianSeconds("0\n", runs));
    std::printf("one version test (three library calls), median of %d: %.1f ms\n", runs,
                1000 * MedianSeconds("7\n1\n0\n0\n", runs));
    CanAsync(seconds);
    return 0;
}
