// Desktop stand-ins for the Windows Embedded Compact calls that desktop
// Windows lacks, so that the CE check build of the program links and runs
// under Wine. Each is defined as coredll exports it; the program declares
// what it calls itself, as it must with an application SDK. The standard
// input counts as not redirected when it is a console, as redirected to the
// serial port COM1: when it is a serial port, else as redirected to a file.
#include <windows.h>

namespace {

DWORD StandardHandleId(DWORD id) {
    if (id == 0) return STD_INPUT_HANDLE;
    return id == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
}

const wchar_t *RedirectionOf(HANDLE handle) {
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) return L"";
    DCB port = {};
    port.DCBlength = sizeof port;
    if (GetCommState(handle, &port)) return L"COM1:";
    return L"\\Temp\\redirected.txt";
}

}  // namespace

extern "C" BOOL WINAPI GetStdioPathW(DWORD id, PWSTR path, PDWORD length) {
    const wchar_t *text = RedirectionOf(GetStdHandle(StandardHandleId(id)));
    DWORD needed = static_cast<DWORD>(lstrlenW(text)) + 1;
    if (!path || !length || *length < needed) {
        if (length) *length = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    lstrcpyW(path, text);
    *length = needed;
    return TRUE;
}
