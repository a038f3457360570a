// Inside the Windows Embedded Compact platform layer: where the console is
// redirected (GetStdioPathW, the registry's console settings), its
// description as --version prints it, and a remote terminal's device opened
// for reading with Win32 calls, so that no C runtime translation or
// buffering sits between the wire and the program. The device probe
// (wince/probe) asks the same questions through the same code.
#ifndef PLATFORM_WIN32_CONSOLE_REDIRECTION_H
#define PLATFORM_WIN32_CONSOLE_REDIRECTION_H

#include <string>

#include "stdio_redirection.h"

// GetStdioPathW's answer for one standard stream (0 input, 1 output,
// 2 error).
struct StdioPathAnswer {
    bool answered;
    unsigned long error;  // GetLastError when it failed
    std::wstring path;
};
StdioPathAnswer AskStdioPath(unsigned long id);

// The standard input's redirection and the registry's console settings.
ConsoleRedirection AskConsoleRedirection();

// One line each: GetStdioPathW's answer, the registry's console settings,
// the resulting class (`forced`: by --terminal); no line end after the last.
std::string DescribeConsole(const ConsoleRedirection &redirection, const StandardInputClass &inputClass,
                            bool forced);

// The parts of those lines. A stream's answer: `"COM1:"`, `"" (not
// redirected)`, `fails with error 87 (the debug port)`.
std::string DescribeStdioPath(const StdioPathAnswer &answer);
std::string DescribeConsoleRegistry(const ConsoleRedirection &redirection);
std::string DescribeInputClass(const StandardInputClass &inputClass, bool forced);

// ASCII as it is, anything else as '?'.
std::string NarrowedToAscii(const std::wstring &text);

// A remote terminal's device open for reading. A COM port's reads wait at
// most kTerminalReadSliceMs, so that a thread reading it never stays inside
// the driver for long (the process can end at any time).
struct TerminalDevice {
    void *handle;         // NULL when the open was refused
    bool commPort;        // its read time-outs are set
    unsigned long error;  // CreateFileW's error when refused
};
const unsigned long kTerminalReadSliceMs = 200;
TerminalDevice OpenTerminalDevice(const std::wstring &device);
void CloseTerminalDevice(TerminalDevice &device);

// One read of one byte: the byte (0 to 255); kTerminalNothingYet when a COM
// port's read slice passed with nothing typed; kTerminalEnded once the
// device has ended (a failed read, or a device that is no COM port
// answering nothing).
const int kTerminalNothingYet = -2;
const int kTerminalEnded = -1;
int ReadTerminalDeviceByte(const TerminalDevice &device);

// One line: why the device could not be opened and what reads the terminal
// instead, for the standard error.
std::string TerminalDeviceRefusal(const std::wstring &device, unsigned long error);

#endif
