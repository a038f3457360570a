// What a redirection of Windows Embedded Compact's standard input
// (GetStdioPathW) means to the console: nothing or the console device is the
// console; the debug port and any other device (a serial port "COM1:", a
// telnet session "TEL1:") is a person at a remote terminal; anything else is
// a file, which is a script. A device is named "XXXn:" (three letters, an
// index, a colon) or "\$device\XXXn"; a file is any other path
// ("\Temp\script.txt"). A console that is not redirected may still be sent
// to a serial port by the console driver itself, as the registry says
// (HKEY_LOCAL_MACHINE\Drivers\Console, OutputTo): that too is a remote
// terminal.
#ifndef PLATFORM_STDIO_REDIRECTION_H
#define PLATFORM_STDIO_REDIRECTION_H

#include <string>

enum StandardInputKind {
    kInputConsole,         // a person at the device's console: the real Space key, window boxes
    kInputRemoteTerminal,  // a person at a terminal on a serial line, telnet or the debug port
    kInputScript           // a file or a pipe
};

// GetLastError codes of a failed GetStdioPathW.
const unsigned long kStdioPathDebugPort = 87;           // ERROR_INVALID_PARAMETER
const unsigned long kStdioPathBufferTooSmall = 122;     // ERROR_INSUFFICIENT_BUFFER

inline wchar_t AsciiUpperCase(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

inline bool IsAsciiLetter(wchar_t c) { return AsciiUpperCase(c) >= L'A' && AsciiUpperCase(c) <= L'Z'; }

// name is three letters, an index (which "\$device\con" leaves out) and
// `end`: "COM1:", "tel0:", "CON10". prefix receives the letters in upper
// case.
inline bool IsDeviceName(const wchar_t *name, const wchar_t *end, wchar_t prefix[4]) {
    for (int i = 0; i < 3; ++i) {
        if (!IsAsciiLetter(name[i])) return false;
        prefix[i] = AsciiUpperCase(name[i]);
    }
    prefix[3] = L'\0';
    name += 3;
    while (*name >= L'0' && *name <= L'9') ++name;
    for (; *end; ++name, ++end)
        if (*name != *end) return false;
    return *name == L'\0';
}

inline bool StartsWithNoCase(const wchar_t *text, const wchar_t *start) {
    for (; *start; ++text, ++start)
        if (AsciiUpperCase(*text) != AsciiUpperCase(*start)) return false;
    return true;
}

// path as GetStdioPathW gives it.
inline StandardInputKind StandardInputKindOfPath(const wchar_t *path) {
    if (*path == L'\0') return kInputConsole;
    static const wchar_t kDeviceFolder[] = L"\\$device\\";
    wchar_t prefix[4];
    bool device = IsDeviceName(path, L":", prefix);
    if (!device && StartsWithNoCase(path, kDeviceFolder)) {
        const wchar_t *name = path + sizeof kDeviceFolder / sizeof kDeviceFolder[0] - 1;
        device = IsDeviceName(name, L"", prefix) || IsDeviceName(name, L":", prefix);
    }
    if (!device) return kInputScript;
    return prefix[0] == L'C' && prefix[1] == L'O' && prefix[2] == L'N' ? kInputConsole : kInputRemoteTerminal;
}

// The whole answer of GetStdioPathW: `answered` its result, `error` the last
// error when it failed. It fails with ERROR_INVALID_PARAMETER when the
// standard input is the debug port; any other failure (the caller has retried
// a buffer that was too small) leaves the standard input with the console.
inline StandardInputKind StandardInputKindOfAnswer(bool answered, unsigned long error, const wchar_t *path) {
    if (answered) return StandardInputKindOfPath(path);
    return error == kStdioPathDebugPort ? kInputRemoteTerminal : kInputConsole;
}

// The registry's console redirection: HKEY_LOCAL_MACHINE\Drivers\Console,
// OutputTo (a DWORD) names where the console driver sends the console, -1
// the debug port and n the serial port COMn:; COMSpeed its bit rate.
const unsigned long kConsoleOutputToDebugPort = 0xFFFFFFFFul;

// All that decides what the standard input is.
struct ConsoleRedirection {
    bool pathAnswered;        // GetStdioPathW's result for the standard input
    unsigned long pathError;  // its last error, when it failed
    std::wstring path;        // its answer
    bool consoleKeyFound;     // HKEY_LOCAL_MACHINE\Drivers\Console is there
    bool outputToSet;
    unsigned long outputTo;
    bool comSpeedSet;
    unsigned long comSpeed;
};

struct StandardInputClass {
    StandardInputKind kind;
    // A remote terminal's device, which the program reads itself ("COM1:",
    // "TEL1:", "\$device\COM10"); empty when it has none to open (the debug
    // port, a terminal forced onto a file) and reads the C runtime's input.
    std::wstring device;
};

// The device name of the serial port COMn: ("\$device\COMn" from 10 on,
// which the short names do not reach).
inline std::wstring SerialPortDevice(unsigned long index) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + index % 10));
        index /= 10;
    } while (index != 0);
    return digits.size() == 1 ? L"COM" + digits + L":" : L"\\$device\\COM" + digits;
}

// A file given as the standard input is a script even when the console
// driver writes to a serial port; the registry decides only for the
// console. `forcedTerminal` (--terminal) makes any class a remote terminal,
// read through its device where the redirection names one.
inline StandardInputClass StandardInputClassOf(const ConsoleRedirection &redirection, bool forcedTerminal) {
    StandardInputClass result;
    result.kind = StandardInputKindOfAnswer(redirection.pathAnswered, redirection.pathError, redirection.path.c_str());
    if (redirection.pathAnswered && result.kind == kInputRemoteTerminal) result.device = redirection.path;
    if (result.kind == kInputConsole && redirection.outputToSet) {
        result.kind = kInputRemoteTerminal;
        if (redirection.outputTo != kConsoleOutputToDebugPort) result.device = SerialPortDevice(redirection.outputTo);
    }
    if (forcedTerminal) result.kind = kInputRemoteTerminal;
    return result;
}

#endif
