// Where Windows Embedded Compact's console is redirected, and a remote
// terminal's device read with Win32 calls (win32_console_redirection.h).
#include "win32_console_redirection.h"

#include <windows.h>

#include <vector>

#include "system.h"
#include "win32_text.h"

// Exported by coredll; declared only in Platform Builder's pkfuncs.h, which
// application SDKs do not ship. *length holds the buffer's size in
// characters.
extern "C" BOOL WINAPI GetStdioPathW(DWORD id, PWSTR path, PDWORD length);

namespace {

const wchar_t kConsoleKey[] = L"Drivers\\Console";

// A DWORD value of the key; false when it is missing or of another type.
bool ReadNumber(HKEY key, const wchar_t *name, unsigned long &value) {
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExW(key, name, NULL, &type, reinterpret_cast<BYTE *>(&data), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof data) return false;
    value = data;
    return true;
}

void ReadConsoleSettings(ConsoleRedirection &redirection) {
    redirection.consoleKeyFound = redirection.outputToSet = redirection.comSpeedSet = false;
    redirection.outputTo = redirection.comSpeed = 0;
    HKEY key = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kConsoleKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    redirection.consoleKeyFound = true;
    redirection.outputToSet = ReadNumber(key, L"OutputTo", redirection.outputTo);
    redirection.comSpeedSet = ReadNumber(key, L"COMSpeed", redirection.comSpeed);
    RegCloseKey(key);
}

}  // namespace

StdioPathAnswer AskStdioPath(unsigned long id) {
    StdioPathAnswer answer;
    std::vector<wchar_t> path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length = static_cast<DWORD>(path.size());
        answer.answered = GetStdioPathW(id, &path[0], &length) != 0;
        answer.error = answer.answered ? 0 : GetLastError();
        if (answer.answered) {
            path.back() = L'\0';
            answer.path = &path[0];
            return answer;
        }
        if (answer.error != ERROR_INSUFFICIENT_BUFFER || length <= path.size()) break;
        path.assign(length + 1, L'\0');
    }
    return answer;
}

ConsoleRedirection AskConsoleRedirection() {
    ConsoleRedirection redirection;
    StdioPathAnswer input = AskStdioPath(0);
    redirection.pathAnswered = input.answered;
    redirection.pathError = input.error;
    redirection.path = input.path;
    ReadConsoleSettings(redirection);
    return redirection;
}

std::string NarrowedToAscii(const std::wstring &text) {
    std::string narrow;
    for (size_t i = 0; i < text.size(); ++i)
        narrow += text[i] >= 0x20 && text[i] < 0x7F ? static_cast<char>(text[i]) : '?';
    return narrow;
}

std::string DescribeStdioPath(const StdioPathAnswer &answer) {
    if (answer.answered) return "\"" + NarrowedToAscii(answer.path) + "\"" + (answer.path.empty() ? " (not redirected)" : "");
    std::string text = "fails with error " + DecimalDigits(answer.error);
    return answer.error == kStdioPathDebugPort ? text + " (the debug port)" : text;
}

std::string DescribeConsole(const ConsoleRedirection &redirection, const StandardInputClass &inputClass,
                            bool forced) {
    StdioPathAnswer input;
    input.answered = redirection.pathAnswered;
    input.error = redirection.pathError;
    input.path = redirection.path;
    return "Console input (GetStdioPathW): " + DescribeStdioPath(input) + "\nConsole registry: " +
           DescribeConsoleRegistry(redirection) + "\nConsole class: " + DescribeInputClass(inputClass, forced);
}

std::string DescribeConsoleRegistry(const ConsoleRedirection &redirection) {
    if (!redirection.consoleKeyFound) return "no HKLM\\Drivers\\Console (the console stays on the device)";
    if (!redirection.outputToSet) return "HKLM\\Drivers\\Console has no OutputTo (the console stays on the device)";
    std::string text = "HKLM\\Drivers\\Console OutputTo ";
    if (redirection.outputTo == kConsoleOutputToDebugPort) {
        text += "-1 (the debug port)";
    } else {
        text += DecimalDigits(redirection.outputTo) + " (" + NarrowedToAscii(SerialPortDevice(redirection.outputTo)) + ")";
    }
    if (redirection.comSpeedSet) text += ", COMSpeed " + DecimalDigits(redirection.comSpeed);
    return text;
}

std::string DescribeInputClass(const StandardInputClass &inputClass, bool forced) {
    std::string text;
    switch (inputClass.kind) {
    case kInputConsole: text = "console (the device's keyboard and screen)"; break;
    case kInputScript: text = "file (a script)"; break;
    case kInputRemoteTerminal:
        text = "remote terminal, read through ";
        text += inputClass.device.empty() ? std::string("the C runtime's standard input")
                                          : NarrowedToAscii(inputClass.device);
        break;
    }
    return forced ? text + " (--terminal)" : text;
}

TerminalDevice OpenTerminalDevice(const std::wstring &device) {
    TerminalDevice opened;
    opened.handle = NULL;
    opened.commPort = false;
    opened.error = 0;
    HANDLE handle =
        CreateFileW(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        opened.error = GetLastError();
        return opened;
    }
    // A read of one byte returns as it arrives, or empty after a slice. Only
    // the read time-outs change: the port's writes may belong to the console.
    COMMTIMEOUTS timeouts;
    if (GetCommTimeouts(handle, &timeouts)) {
        timeouts.ReadIntervalTimeout = 0;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = kTerminalReadSliceMs;
        opened.commPort = SetCommTimeouts(handle, &timeouts) != 0;
    }
    opened.handle = handle;
    return opened;
}

void CloseTerminalDevice(TerminalDevice &device) {
    if (device.handle) CloseHandle(static_cast<HANDLE>(device.handle));
    device.handle = NULL;
}

int ReadTerminalDeviceByte(const TerminalDevice &device) {
    unsigned char read = 0;
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(device.handle), &read, 1, &got, NULL)) return kTerminalEnded;
    if (got == 1) return read;
    return device.commPort ? kTerminalNothingYet : kTerminalEnded;
}

std::string TerminalDeviceRefusal(const std::wstring &device, unsigned long error) {
    std::string text = PlatformErrorText(static_cast<uint32_t>(error));
    return "cannot open " + NarrowedToAscii(device) + " to read the terminal (error " + DecimalDigits(error) +
           (text.empty() ? "" : ": " + text) +
           "); another open of the port (the C runtime's, or cmd.exe's) may hold it: reading the C runtime's "
           "standard input instead";
}
