#include "host_board.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "stand_ins.h"

namespace {

int g_peers[3] = {-1, -1, -1};
std::string g_tracePath;

// A pseudo-terminal pair; returns the path of the port end.
std::string OpenPair(int port) {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        std::exit(1);
    }
    g_peers[port] = master;
    return ptsname(master);
}

std::string TempDir() {
    char pattern[] = "/tmp/qzhal-library-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

bool IsCallOf(const std::string &line, const std::string &name) { return line.compare(0, name.size() + 1, name + "(") == 0; }

}  // namespace

int SerialPeer(int port) { return g_peers[port]; }

std::string SerialPort(int port) { return ptsname(g_peers[port]); }

std::string LastTraceLine(const std::string &name) {
    std::ifstream trace(g_tracePath);
    std::string last;
    for (std::string line; std::getline(trace, line);)
        if (IsCallOf(line, name)) last = line;
    return last;
}

int TraceLineCount(const std::string &name) {
    std::ifstream trace(g_tracePath);
    int count = 0;
    for (std::string line; std::getline(trace, line);) count += IsCallOf(line, name);
    return count;
}

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    std::string dir = TempDir();
    std::string map = dir + "/board.conf";
    g_tracePath = dir + "/trace.txt";
    std::ofstream(map) << "i2c.0 = /dev/null\nspi.0 = /dev/null\nuart.1 = " << OpenPair(1) << "\nuart.2 = "
                       << OpenPair(2) << "\ncan.1 = " << kStandInCan << "\nreboot = yes\n";
    setenv("QZHAL_BOARD_MAP", map.c_str(), 1);
    setenv("QZHAL_TRACE", g_tracePath.c_str(), 1);
    int result = RUN_ALL_TESTS();
    std::remove(map.c_str());
    std::remove(g_tracePath.c_str());
    rmdir(dir.c_str());
    return result;
}
