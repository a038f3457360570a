// Events and threads. Each call maps onto one Win32 call (named beside it).
#ifndef PLATFORM_SYNC_H
#define PLATFORM_SYNC_H

#include <cstddef>

#include "../hal/fixed_width_types.h"

// A kernel object handle: an event or a thread. NULL is no handle.
typedef void *PlatformHandle;

// Result of the waits, as WaitForSingleObject/WaitForMultipleObjects give it.
const uint32_t kPlatformWaitSignalled = 0;           // WAIT_OBJECT_0
const uint32_t kPlatformWaitTimedOut = 0x102;        // WAIT_TIMEOUT
const uint32_t kPlatformWaitFailed = 0xFFFFFFFFu;    // WAIT_FAILED

// CreateEventW(NULL, FALSE, FALSE, NULL): an unnamed auto-reset event,
// not signalled. The handle is what the board library's GPIOSetInterrupt
// takes; on Linux it carries an eventfd. NULL on failure (last error set).
PlatformHandle PlatformCreateEvent();

// WaitForSingleObject(event, INFINITE). One wake consumes every signal that
// arrived since the last wake (auto-reset).
uint32_t PlatformWaitEvent(PlatformHandle event);

// WaitForSingleObject(event, milliseconds): as PlatformWaitEvent, or
// kPlatformWaitTimedOut when the event stays unsignalled that long.
uint32_t PlatformWaitEventFor(PlatformHandle event, uint32_t milliseconds);

// SetEvent(event): used by tests and by anything that signals in-process.
bool PlatformSetEvent(PlatformHandle event);

// CloseHandle(event).
void PlatformCloseEvent(PlatformHandle event);

// A thread procedure in the platform's form: one pointer, a 32-bit result.
typedef uint32_t (*PlatformThreadProc)(void *parameter);

// CreateThread(NULL, 0, proc, parameter, 0, NULL): the thread starts at
// once. NULL on failure (last error set).
PlatformHandle PlatformCreateThread(PlatformThreadProc proc, void *parameter);

// WaitForSingleObject(thread, INFINITE) on each thread in turn: returns once
// every thread has ended. (Not WaitForMultipleObjects with fWaitAll: Windows
// Embedded Compact cannot wait for all objects at once.)
uint32_t PlatformWaitForAllThreads(PlatformHandle *threads, uint32_t count);

// CloseHandle(thread). Closing does not stop the thread: one that has not
// been waited for runs on, detached.
void PlatformCloseThread(PlatformHandle thread);

// A flag that one thread writes while others read it, without a lock: each
// access is atomic and a full barrier (InterlockedExchange and
// InterlockedCompareExchange).
typedef volatile long PlatformFlag;
long PlatformFlagRead(PlatformFlag *flag);
void PlatformFlagWrite(PlatformFlag *flag, long value);

#endif
