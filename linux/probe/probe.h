// qzhal-probe: a draft board map of the running system, for bring-up. Each
// part prints the entries of its devices: active where the device can be
// tied to one of the program's numbers, commented with a hint where only
// the board's wiring can tell.
#ifndef LINUX_PROBE_PROBE_H
#define LINUX_PROBE_PROBE_H

#include <ostream>
#include <string>
#include <vector>

// GPIO chips, their labels and named lines; lines named like one of the
// program's pins become that pin's entry.
void PrintGpioChips(std::ostream &out);

// i2c-dev buses, spidev nodes, real serial ports, CAN interfaces and
// backlights.
void PrintI2cBuses(std::ostream &out);
void PrintSpiDevices(std::ostream &out);
void PrintSerialPorts(std::ostream &out);
void PrintCanInterfaces(std::ostream &out);
void PrintBacklights(std::ostream &out);

// Helpers the parts share.
// The names in `folder` that start with `prefix`, in natural order
// ("i2c-2" before "i2c-10"); none when the folder cannot be read.
std::vector<std::string> NamesIn(const std::string &folder, const std::string &prefix);
// The first line of a small text file (sysfs), "" when unreadable.
std::string FirstLine(const std::string &path);
// Whether `text` can stand as one word of a map value.
bool IsMapWord(const std::string &text);
// The line "key = value", with "# note" after it in a column of its own
// when there is a note.
std::string Entry(const std::string &key, const std::string &value, const std::string &note = "");

#endif
