// Win32 implementation of platform/sync.h.
#include "sync.h"

#include <windows.h>

#include <new>

#include "fault_injection.h"
#include "pause_cap.h"

namespace {

// What the new thread runs; owned by the thread, since its handle may be
// closed before the thread has even started.
struct ThreadStart {
    PlatformThreadProc proc;
    void *parameter;
};

// The platform's thread procedure in the calling convention CreateThread
// wants.
DWORD WINAPI RunThread(void *context) {
    ThreadStart start = *static_cast<ThreadStart *>(context);
    delete static_cast<ThreadStart *>(context);
    return start.proc(start.parameter);
}

bool WaitFaultInjected() {
    if (!PlatformFaultInjected("WaitForSingleObject")) return false;
    SetLastError(ERROR_INVALID_HANDLE);
    return true;
}

}  // namespace

PlatformHandle PlatformCreateEvent() {
    if (PlatformFaultInjected("CreateEvent")) {
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return NULL;
    }
    return CreateEventW(NULL, FALSE, FALSE, NULL);
}

uint32_t PlatformWaitEvent(PlatformHandle event) {
    if (WaitFaultInjected()) return kPlatformWaitFailed;
    return WaitForSingleObject(event, INFINITE);
}

uint32_t PlatformWaitEventFor(PlatformHandle event, uint32_t milliseconds) {
    if (WaitFaultInjected()) return kPlatformWaitFailed;
    return WaitForSingleObject(event, PauseAsBuilt(milliseconds));
}

bool PlatformSetEvent(PlatformHandle event) { return SetEvent(event) != 0; }

void PlatformCloseEvent(PlatformHandle event) {
    if (event) CloseHandle(event);
}

PlatformHandle PlatformCreateThread(PlatformThreadProc proc, void *parameter) {
    if (PlatformFaultInjected("CreateThread")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    ThreadStart *start = new (std::nothrow) ThreadStart();
    if (!start) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    start->proc = proc;
    start->parameter = parameter;
    HANDLE thread = CreateThread(NULL, 0, RunThread, start, 0, NULL);
    if (!thread) {
        DWORD error = GetLastError();
        delete start;
        SetLastError(error);
    }
    return thread;
}

// One thread at a time: Windows Embedded Compact's WaitForMultipleObjects
// cannot wait for all objects at once, and a thread handle stays signalled
// once its thread has ended, so this is the same wait.
uint32_t PlatformWaitForAllThreads(PlatformHandle *threads, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        if (threads[i] && WaitForSingleObject(threads[i], INFINITE) == WAIT_FAILED) return kPlatformWaitFailed;
    }
    return kPlatformWaitSignalled;
}

void PlatformCloseThread(PlatformHandle thread) {
    if (thread) CloseHandle(thread);
}

// Some SDKs declare the Interlocked calls without volatile; the calls are
// atomic either way.
long PlatformFlagRead(PlatformFlag *flag) { return InterlockedCompareExchange(const_cast<LONG *>(flag), 0, 0); }

void PlatformFlagWrite(PlatformFlag *flag, long value) { InterlockedExchange(const_cast<LONG *>(flag), value); }
