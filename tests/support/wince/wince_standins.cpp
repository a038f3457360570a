// Desktop stand-ins for the Windows Embedded Compact calls that desktop
// Windows lacks, so that the CE check build of the program links and runs
// under Wine. Each is defined as coredll exports it; the program declares
// what it calls itself, as it must with an application SDK. The standard
// input counts as not redirected when it is a console, as redirected to the
// serial port COM1: when it is a serial port, else as redirected to a file;
// the environment variable QZHAL_STANDIN_STDIO_PATH, when set, is the answer
// for every stream instead (empty: not redirected, as on a device whose
// console driver itself writes to a serial port).
#include <windows.h>

#include <string>

namespace {

DWORD StandardHandleId(DWORD id) {
    if (id == 0) return STD_INPUT_HANDLE;
    return id == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
}

std::wstring RedirectionOf(HANDLE handle) {
    wchar_t given[MAX_PATH] = L"";
    SetLastError(ERROR_SUCCESS);
    DWORD length = GetEnvironmentVariableW(L"QZHAL_STANDIN_STDIO_PATH", given, MAX_PATH);
    if (length < MAX_PATH && (length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND)) return given;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) return L"";
    DCB port = {};
    port.DCBlength = sizeof port;
    if (GetCommState(handle, &port)) return L"COM1:";
    return L"\\Temp\\redirected.txt";
}

}  // namespace

extern "C" BOOL WINAPI GetStdioPathW(DWORD id, PWSTR path, PDWORD length) {
    std::wstring redirection = RedirectionOf(GetStdHandle(StandardHandleId(id)));
    const wchar_t *text = redirection.c_str();
    DWORD needed = static_cast<DWORD>(redirection.size()) + 1;
    if (!path || !length || *length < needed) {
        if (length) *length = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    lstrcpyW(path, text);
    *length = needed;
    return TRUE;
}
