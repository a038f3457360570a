// Desktop stand-ins for the Windows Embedded Compact calls that desktop
// Windows lacks, so that the CE check build of the program links (and runs
// under Wine where 32-bit programs can). The standard input counts as not
// redirected when it is a console, else as redirected to a file.
#include <windows.h>

#include "wince_declarations.h"

namespace {

DWORD StandardHandleId(DWORD id) {
    if (id == 0) return STD_INPUT_HANDLE;
    return id == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
}

}  // namespace

extern "C" BOOL WINAPI GetStdioPathW(DWORD id, PWSTR path, LPDWORD length) {
    static const wchar_t kRedirected[] = L"\\Temp\\redirected.txt";
    DWORD mode = 0;
    bool console = GetConsoleMode(GetStdHandle(StandardHandleId(id)), &mode) != 0;
    const wchar_t *text = console ? L"" : kRedirected;
    DWORD needed = static_cast<DWORD>(lstrlenW(text)) + 1;
    if (!path || !length || *length < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    lstrcpyW(path, text);
    *length = needed;
    return TRUE;
}
