// POSIX implementation of platform/system.h.
#include "system.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

#include "console_terminal.h"
#include "fault_injection.h"
#include "pause_cap.h"

bool PlatformInitApplication() {
    if (PlatformFaultInjected("AfxWinInit")) {
        errno = EINVAL;
        return false;
    }
    return true;
}

void PlatformExitProcess(uint32_t code) {
    std::fflush(stdout);
    std::fflush(stderr);
    ConsoleRestoreTerminal();
    _exit(static_cast<int>(code));
}

void PlatformSleep(uint32_t milliseconds) {
    milliseconds = PauseAsBuilt(milliseconds);
    timespec remaining;
    remaining.tv_sec = static_cast<time_t>(milliseconds / 1000);
    remaining.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

void *PlatformHeapAllocZeroed(size_t bytes) {
    if (PlatformFaultInjected("HeapAlloc")) {
        errno = ENOMEM;
        return NULL;
    }
    return std::calloc(1, bytes);
}

void PlatformHeapFree(void *block) { std::free(block); }

uint32_t PlatformGetLastError() { return static_cast<uint32_t>(errno); }

std::string PlatformErrorText(uint32_t code) {
    char buffer[256] = "";
    // GNU strerror_r may return a static text instead of filling the buffer.
    const char *text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
    return text ? text : "";
}
