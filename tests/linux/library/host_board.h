// The board the host tests give the library: a map with the stand-ins'
// devices and two pseudo-terminals as serial ports, and the call trace in a
// file the tests read back.
#ifndef TESTS_LINUX_LIBRARY_HOST_BOARD_H
#define TESTS_LINUX_LIBRARY_HOST_BOARD_H

#include <string>

// The far end of serial port `port` (1 or 2): the pseudo-terminal's master.
int SerialPeer(int port);
// The port's own device: the pseudo-terminal's other end.
std::string SerialPort(int port);

// The last trace line of a call to `name`; empty when there is none.
std::string LastTraceLine(const std::string &name);
// The number of trace lines of calls to `name`.
int TraceLineCount(const std::string &name);

#endif
