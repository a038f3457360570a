// Figures of the Linux board library in the test machine (tests/linux/vm),
// printed, not judged: the program's start-up time, and the CAN async test
// against vcan0 at full speed with a second socket echoing every frame, as
// the simulated board's peer does (compare bench/can_async_bench.py),
// against a plain SocketCAN pair of the same shape in the same boot: one
// raw socket, a thread writing 8-byte frames as fast as it takes them and
// a thread reading the echoes. They alternate, five rounds each (or as
// many as asked: the host's other load moves single runs a lot), so
// that both meet the same load; the ratios are each round's, their median
// printed. The pair's writer is not held back by anything, so its written
// rate is far above what the echo node returns: the read rates (the echoes
// taken) compare like with like. The program's standard output goes to a
// file, as a technician's log has it, not through a pipe to this process,
// whose reading thread would take the machine's processors from the test,
// and without the call trace, which the library calls alone do not write
// either.
//
// Usage (inside the machine): vm_bench [seconds [rounds]]; bench/linux/run-in-vm
// builds the payload and runs it there.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <net/if.h>
#include <poll.h>
#include <regex>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include <linux/can.h>

#include "../../hal/QZHalLib.h"
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

struct Rates {
    double written = 0, read = 0;  // frames per second
};

// The plain pair against the echo node, for `seconds`.
Rates PlainPair(double seconds) {
    EchoNode echo;
    int fd = ::socket(PF_CAN, SOCK_RAW | SOCK_CLOEXEC, CAN_RAW);
    sockaddr_can address{};
    address.can_family = AF_CAN;
    address.can_ifindex = static_cast<int>(if_nametoindex("vcan0"));
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        std::perror("vcan0");
        std::exit(1);
    }
    std::atomic<bool> stop{false};
    std::atomic<long> writes{0}, reads{0};
    std::thread writer([&] {
        can_frame frame{};
        frame.can_id = 0x25;
        frame.len = 8;
        for (uint8_t i = 0; i < 8; ++i) frame.data[i] = static_cast<uint8_t>(0x11 * (i + 1));
        while (!stop) {
            if (write(fd, &frame, sizeof frame) == static_cast<ssize_t>(sizeof frame)) {
                ++writes;
            } else {
                pollfd ready = {fd, POLLOUT, 0};
                poll(&ready, 1, errno == ENOBUFS ? 1 : 50);
            }
        }
    });
    std::thread reader([&] {
        while (!stop) {
            pollfd ready = {fd, POLLIN, 0};
            if (poll(&ready, 1, 50) <= 0) continue;
            can_frame frame;
            if (read(fd, &frame, sizeof frame) == static_cast<ssize_t>(sizeof frame)) ++reads;
        }
    });
    Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    long written = writes, got = reads;
    double elapsed = Seconds(Clock::now() - start);
    stop = true;
    writer.join();
    reader.join();
    close(fd);
    return {static_cast<double>(written) / elapsed, static_cast<double>(got) / elapsed};
}

// The library's own calls in the same shape, without the program: a thread
// calling CANWrite, a thread calling CANRead, on channel 1 (vcan0).
Rates LibraryCalls(double seconds) {
    EchoNode echo;
    if (CANOpen(1) != 1 || CANConfigureMode(1, 0, 1000000, 0, 0) != 1 ||
        CANConfigureMessage(1, 0, 0x25, 0, 1000, 0) != 1) {
        std::fprintf(stderr, "CAN channel 1 cannot be set up\n");
        std::exit(1);
    }
    std::atomic<bool> stop{false};
    std::atomic<long> writes{0}, reads{0};
    std::thread writer([&] {
        uint8_t data[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
        int32_t error = 0;
        while (!stop)
            if (CANWrite(1, data, 8, &error) == 1) ++writes;
    });
    std::thread reader([&] {
        uint8_t data[8];
        int32_t error = 0;
        while (!stop)
            if (CANRead(1, data, 8, &error) == 1) ++reads;
    });
    Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    long written = writes, got = reads;
    double elapsed = Seconds(Clock::now() - start);
    stop = true;
    CANClose(1);
    writer.join();
    reader.join();
    return {static_cast<double>(written) / elapsed, static_cast<double>(got) / elapsed};
}

int LastCount(const std::string &output, const std::string &kind) {
    static const std::regex line("CAN (Read|Write) Count: (\\d+) ");
    int last = -1;
    for (std::sregex_iterator match(output.begin(), output.end(), line), end; match != end; ++match)
        if ((*match)[1] == kind) last = std::stoi((*match)[2]);
    return last;
}

const char *const kAsyncScript = "10\n7\n0\n1000000\n25\n1122334455667788\n8\n1000\n0\n";

// The last count of each worker in the log file: its end is read, a larger
// part each time, until it holds a line of both, as a writer far ahead of
// the reader can fill much of the log alone.
std::pair<int, int> LastCounts(const std::string &path) {
    std::pair<int, int> counts{-1, -1};
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return counts;
    off_t size = lseek(fd, 0, SEEK_END);
    for (off_t span = 65536; counts.first < 0 || counts.second < 0; span *= 4) {
        off_t from = std::max<off_t>(0, size - span);
        std::string tail(static_cast<size_t>(size - from), '\0');
        ssize_t got = pread(fd, &tail[0], tail.size(), from);
        tail.resize(got > 0 ? static_cast<size_t>(got) : 0);
        counts = {LastCount(tail, "Write"), LastCount(tail, "Read")};
        if (from == 0) break;
    }
    close(fd);
    return counts;
}

struct Counts {
    Clock::time_point at;
    int writes, reads;
};

Counts CountsNow(const std::string &log) {
    Clock::time_point at = Clock::now();
    std::pair<int, int> last = LastCounts(log);
    return {at, last.first, last.second};
}

// The same test with the program's standard output on a log file, as a
// technician's `qzhaltest > can.log` or a CI job's log has it, and no call
// trace: the rates are the growth of the last counts in the log over
// `seconds`, taken once both workers are running.
Rates CanAsyncToLog(double seconds) {
    EchoNode echo;
    const std::string log = "/tmp/can-async.log";
    int input[2];
    if (pipe2(input, O_CLOEXEC) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    pid_t child = fork();
    if (child == 0) {
        int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(input[0], STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        execl("/payload/qzhaltest", "qzhaltest", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(input[0]);
    auto send = [&](const std::string &text) {
        if (write(input[1], text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::perror("input");
    };
    send(kAsyncScript);
    Counts before{};
    for (int tries = 0; tries < 2000; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        before = CountsNow(log);
        if (before.writes >= 0 && before.reads >= 0) break;
    }
    if (before.writes < 0 || before.reads < 0) std::printf("  the program: no transfer lines\n");
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    Counts after = CountsNow(log);
    send(" \n0\n0\n");
    close(input[1]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 1)
        std::printf("  the program: status %d\n", status);
    double elapsed = Seconds(after.at - before.at);
    unlink(log.c_str());
    return {(after.writes - before.writes) / elapsed, (after.reads - before.reads) / elapsed};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void CanAgainstPlainPair(double seconds, int rounds) {
    std::vector<double> pairWritten, pairRead, libraryWritten, libraryRead, callsWritten, callsRead;
    std::vector<double> callsWrittenRatio, callsReadRatio, asyncWrittenRatio, asyncReadRatio;
    std::printf("CAN on vcan0, 8-byte frames, every frame echoed by a second socket, %.1f s a run:\n", seconds);
    std::printf("  %-44s %12s %12s\n", "", "written/s", "read/s");
    for (int round = 0; round < rounds; ++round) {
        Rates pair = PlainPair(seconds);
        Rates calls = LibraryCalls(seconds);
        Rates library = CanAsyncToLog(seconds);
        pairWritten.push_back(pair.written);
        pairRead.push_back(pair.read);
        callsWritten.push_back(calls.written);
        callsRead.push_back(calls.read);
        callsWrittenRatio.push_back(calls.written / pair.written);
        callsReadRatio.push_back(calls.read / pair.read);
        asyncWrittenRatio.push_back(library.written / pair.written);
        asyncReadRatio.push_back(library.read / pair.read);
        libraryWritten.push_back(library.written);
        libraryRead.push_back(library.read);
        std::printf("  %-44s %12.0f %12.0f\n", "plain SocketCAN pair", pair.written, pair.read);
        std::printf("  %-44s %12.0f %12.0f\n", "library calls alone (CANWrite/CANRead threads)", calls.written,
                    calls.read);
        std::printf("  %-44s %12.0f %12.0f\n", "async test (loop delay 0), output to a file", library.written,
                    library.read);
    }
    std::printf("  medians (written/read): pair %.0f / %.0f, library calls %.0f / %.0f, async test %.0f / %.0f\n",
                Median(pairWritten), Median(pairRead), Median(callsWritten), Median(callsRead),
                Median(libraryWritten), Median(libraryRead));
    std::printf("  ratio library calls / plain pair, median of the rounds: written %.2f, read %.2f\n",
                Median(callsWrittenRatio), Median(callsReadRatio));
    std::printf("  ratio async test / plain pair, median of the rounds:    written %.2f, read %.2f\n",
                Median(asyncWrittenRatio), Median(asyncReadRatio));
}

}  // namespace

int main(int argc, char **argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    // Neither the library's calls here nor the async test's program write a
    // call trace; the start-up runs keep the one the harness asks for.
    unsetenv("QZHAL_TRACE");
    unsetenv("QZHAL_SIM_TRACE");
    const int runs = 21;
    std::printf("start-up to exit (input \"0\"), median of %d: %.1f ms\n", runs, 1000 * MedianSeconds("0\n", runs));
    std::printf("one version test (three library calls), median of %d: %.1f ms\n", runs,
                1000 * MedianSeconds("7\n1\n0\n0\n", runs));
    CanAgainstPlainPair(seconds, rounds);
    return 0;
}
