// What a redirection of Windows Embedded Compact's standard input
// (GetStdioPathW) means to the console: nothing or the console device is the
// console; the debug port and any other device (a serial port "COM1:", a
// telnet session "TEL1:") is a person at a remote terminal; anything else is
// a file, which is a script. A device is named "XXXn:" (three letters, an
// index, a colon) or "\$device\XXXn"; a file is any other path
// ("\Temp\script.txt").
#ifndef PLATFORM_STDIO_REDIRECTION_H
#define PLATFORM_STDIO_REDIRECTION_H

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

#endif
