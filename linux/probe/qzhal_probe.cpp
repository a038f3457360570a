// qzhal-probe: prints a draft board map of the running system on standard
// output (see qzhal-probe(1)).
#include <cstdio>
#include <iostream>
#include <sys/utsname.h>

#include "probe.h"

namespace {

void PrintHeader(std::ostream &out) {
    utsname system{};
    uname(&system);
    out << "# Draft board map of " << system.nodename << " (Linux " << system.release << "), printed by\n"
        << "# qzhal-probe. Active entries are the devices it could tie to the program's\n"
        << "# numbers; commented ones need the board's wiring: check each, then save\n"
        << "# the map as /etc/qzhal/board.conf. qzhal-board.conf(5) describes the keys.\n";
}

void PrintMemoryAndReboot(std::ostream &out) {
    out << "\n# Physical address windows register tests may touch, one \"BASE SIZE\" per\n"
        << "# line, from the SoC's reference manual (/proc/iomem lists device regions).\n"
        << "# Nothing outside them is mapped.\n"
        << "# memory = 0x020c4000 0x4000\n"
        << "\n# SoftReset restarts the board only with reboot = yes.\n"
        << "reboot = no\n";
}

}  // namespace

int main(int argc, char *argv[]) {
    if (argc > 1) {
        std::fprintf(stderr, "usage: %s\nprints a draft board map of this system (see qzhal-probe(1))\n", argv[0]);
        return 2;
    }
    PrintHeader(std::cout);
    PrintGpioChips(std::cout);
    PrintI2cBuses(std::cout);
    PrintSpiDevices(std::cout);
    PrintSerialPorts(std::cout);
    PrintCanInterfaces(std::cout);
    PrintBacklights(std::cout);
    PrintMemoryAndReboot(std::cout);
    std::cout.flush();
    return std::cout ? 0 : 1;
}
