// The other parts of the draft map: I2C buses, SPI devices, serial ports,
// CAN interfaces and backlights, as sysfs lists them.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "probe.h"

namespace {

constexpr size_t kNoteColumn = 32;
constexpr int kArphrdCan = 280;  // the link type of a CAN interface

bool Exists(const std::string &path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

// The driver bound to a sysfs device, "" when none.
std::string DriverOf(const std::string &devicePath) {
    char target[256];
    ssize_t length = readlink((devicePath + "/driver").c_str(), target, sizeof target - 1);
    if (length <= 0) return "";
    std::string path(target, static_cast<size_t>(length));
    return path.substr(path.rfind('/') + 1);
}

std::string Quoted(const std::string &text) { return "\"" + text + "\""; }

// What follows `prefix` in `name`: "3" of "i2c-3".
std::string NumberAfter(const std::string &name, const std::string &prefix) { return name.substr(prefix.size()); }

// An interface or backlight the map can hold is an entry; another is shown
// commented.
void PrintFirstActive(std::ostream &out, const std::string &key, const std::vector<std::string> &names,
                      const std::string &otherNote) {
    bool active = false;
    for (const std::string &name : names) {
        bool usable = IsMapWord(name);
        if (usable && !active)
            out << Entry(key, name) << "\n";
        else
            out << "# " << Entry(key, name, usable ? otherNote : "a name the map cannot hold") << "\n";
        active = active || usable;
    }
}

// The kernel's consoles ("tty0 ttyS0").
std::set<std::string> Consoles() {
    std::istringstream words(FirstLine("/sys/class/tty/console/active"));
    std::set<std::string> consoles;
    for (std::string word; words >> word;) consoles.insert(word);
    return consoles;
}

}  // namespace

std::vector<std::string> NamesIn(const std::string &folder, const std::string &prefix) {
    std::vector<std::string> names;
    DIR *dir = opendir(folder.c_str());
    if (!dir) return names;
    while (dirent *entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
    }
    closedir(dir);
    // Digit runs compare as numbers: "i2c-2" before "i2c-10".
    std::sort(names.begin(), names.end(),
              [](const std::string &a, const std::string &b) { return strverscmp(a.c_str(), b.c_str()) < 0; });
    return names;
}

std::string FirstLine(const std::string &path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

bool IsMapWord(const std::string &text) {
    if (text.empty() || text.find('#') != std::string::npos) return false;
    return std::none_of(text.begin(), text.end(), [](char c) {
        return std::isspace(static_cast<unsigned char>(c)) || std::iscntrl(static_cast<unsigned char>(c));
    });
}

std::string Entry(const std::string &key, const std::string &value, const std::string &note) {
    std::string line = key + " = " + value;
    if (note.empty()) return line;
    line.resize(std::max(line.size() + 2, kNoteColumn), ' ');
    return line + "# " + note;
}

void PrintI2cBuses(std::ostream &out) {
    out << "\n# I2C buses: the program's bus N is taken to be the kernel's i2c-N.\n";
    std::vector<std::string> buses = NamesIn("/sys/class/i2c-dev", "i2c-");
    if (buses.empty()) out << "# No i2c-dev bus found: is the i2c-dev module loaded?\n";
    for (const std::string &bus : buses) {
        std::string node = "/dev/" + bus;
        std::string adapter = FirstLine("/sys/class/i2c-dev/" + bus + "/name");
        std::string note = adapter.empty() ? "" : Quoted(adapter);
        if (Exists(node))
            out << Entry("i2c." + NumberAfter(bus, "i2c-"), node, note) << "\n";
        else
            out << "# " << Entry("i2c." + NumberAfter(bus, "i2c-"), node, "no device node " + node) << "\n";
    }
}

void PrintSpiDevices(std::ostream &out) {
    out << "\n# SPI devices: spi.K is the program's device K+1 (its EEPROM tests use\n"
        << "# device 1); which node that is, only the wiring tells.\n";
    std::vector<std::string> nodes = NamesIn("/sys/class/spidev", "spidev");
    if (nodes.empty()) out << "# No spidev node found: a device tree node must bind the device to spidev.\n";
    int index = 0;
    for (const std::string &node : nodes)
        out << "# " << Entry("spi." + std::to_string(index++), "/dev/" + node) << "\n";
}

void PrintSerialPorts(std::ostream &out) {
    out << "\n# Serial ports: the program's ports 1 to 3, as wired.\n";
    std::set<std::string> consoles = Consoles();
    int port = 1;
    for (const std::string &name : NamesIn("/sys/class/tty", "tty")) {
        std::string sysfs = "/sys/class/tty/" + name;
        // Only ports of a device; of serial_core's ports, only those with a
        // UART behind them (type 0: none, as most of the ttyS are).
        if (!Exists(sysfs + "/device") || FirstLine(sysfs + "/type") == "0" || !Exists("/dev/" + name)) continue;
        // Newer kernels put a "port" device of serial_core between the tty
        // and the UART's own device, which names the driver.
        std::string driver = DriverOf(sysfs + "/device");
        if (driver == "port") driver = DriverOf(sysfs + "/device/../..");
        if (consoles.count(name)) {
            out << "# /dev/" << name << (driver.empty() ? "" : " (" + driver + ")")
                << " carries the kernel's console: not for tests\n";
            continue;
        }
        out << "# " << Entry("uart." + std::to_string(port++), "/dev/" + name, driver) << "\n";
    }
    if (port == 1) out << "# No serial port for tests found.\n";
}

void PrintCanInterfaces(std::ostream &out) {
    out << "\n# CAN: the program uses channel 1.\n";
    std::vector<std::string> interfaces;
    for (const std::string &name : NamesIn("/sys/class/net", ""))
        if (FirstLine("/sys/class/net/" + name + "/type") == std::to_string(kArphrdCan)) interfaces.push_back(name);
    if (interfaces.empty()) out << "# No CAN interface found.\n";
    PrintFirstActive(out, "can.1", interfaces, "another CAN interface");
}

void PrintBacklights(std::ostream &out) {
    out << "\n# The backlight.\n";
    std::vector<std::string> names = NamesIn("/sys/class/backlight", "");
    if (names.empty()) out << "# No backlight found (/sys/class/backlight).\n";
    PrintFirstActive(out, "backlight", names, "another backlight");
}
