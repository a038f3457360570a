// Win32 implementation of platform/system.h.
#include "system.h"

#include <windows.h>

#include <cstdio>

#include "fault_injection.h"
#include "pause_cap.h"
#include "win32_text.h"

bool PlatformInitApplication() {
    if (PlatformFaultInjected("AfxWinInit")) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

void PlatformExitProcess(uint32_t code) {
    std::fflush(stdout);
    std::fflush(stderr);
    ExitProcess(code);
}

void PlatformSleep(uint32_t milliseconds) { Sleep(PauseAsBuilt(milliseconds)); }

void *PlatformHeapAllocZeroed(size_t bytes) {
    if (PlatformFaultInjected("HeapAlloc")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    void *block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
    // HeapAlloc leaves the last error as it was when it fails.
    if (!block) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

void PlatformHeapFree(void *block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

uint32_t PlatformGetLastError() { return GetLastError(); }

std::string PlatformErrorText(uint32_t code) {
    wchar_t text[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0,
                                  text, sizeof text / sizeof text[0], NULL);
    // The system's texts end with a line end; the caller adds its own.
    while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r' || text[length - 1] == L' '))
        --length;
    return Utf8FromWide(text, length);
}
