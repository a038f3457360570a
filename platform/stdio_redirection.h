// What a redirection path of Windows Embedded Compact's standard input
// (GetStdioPathW) means to the console: nothing or a console device is the
// console, a COM port is a terminal on a serial line, anything else is a
// file, which is a script. The path may be a device name ("COM1:"), a
// device path ("\$device\COM1") or a file ("\Temp\script.txt").
#ifndef PLATFORM_STDIO_REDIRECTION_H
#define PLATFORM_STDIO_REDIRECTION_H

enum StandardInputKind {
    kInputConsole,         // a person at the device's console: the real Space key, window boxes
    kInputRemoteTerminal,  // a person at a terminal on a serial line
    kInputScript           // a file or a pipe
};

// What follows the last backslash.
inline const wchar_t *DeviceName(const wchar_t *path) {
    const wchar_t *name = path;
    for (const wchar_t *at = path; *at; ++at)
        if (*at == L'\\') name = at + 1;
    return name;
}

// name is the device prefix (upper-case ASCII, compared without case), an
// index and an optional colon: "COM1:", "com2", "CON1:". Not a file whose
// name merely begins so ("CONFIG.TXT", "commands.txt").
inline bool IsDeviceName(const wchar_t *name, const char *prefix) {
    for (; *prefix; ++name, ++prefix) {
        wchar_t upper = *name >= L'a' && *name <= L'z' ? static_cast<wchar_t>(*name - L'a' + L'A') : *name;
        if (upper != static_cast<wchar_t>(*prefix)) return false;
    }
    while (*name >= L'0' && *name <= L'9') ++name;
    if (*name == L':') ++name;
    return *name == L'\0';
}

inline StandardInputKind StandardInputKindOfPath(const wchar_t *path) {
    const wchar_t *name = DeviceName(path);
    if (*name == L'\0' || IsDeviceName(name, "CON")) return kInputConsole;
    if (IsDeviceName(name, "COM")) return kInputRemoteTerminal;
    return kInputScript;
}

#endif
