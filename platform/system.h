// Operating-system services of the process: start-up, exit, sleeping, the
// process heap and the last system error. Each maps onto one Win32 call on
// the board (named beside it); the POSIX build implements them for Linux.
#ifndef PLATFORM_SYSTEM_H
#define PLATFORM_SYSTEM_H

#include <cstddef>
#include <string>

#include "../hal/fixed_width_types.h"

// AfxWinInit(module instance, NULL, command line, 0). This platform has no
// application framework, so it succeeds unless a test injects its failure.
bool PlatformInitApplication();

// ExitProcess(code): flushes the console and ends the process at once,
// without returning to the caller and without waiting for other threads.
void PlatformExitProcess(uint32_t code);

// Sleep(milliseconds).
void PlatformSleep(uint32_t milliseconds);

// HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes) and HeapFree. The
// allocation returns NULL on failure.
void *PlatformHeapAllocZeroed(size_t bytes);
void PlatformHeapFree(void *block);

// GetLastError() of the calling thread, and FormatMessageW's system text for
// a code (empty when the system has none).
uint32_t PlatformGetLastError();
std::string PlatformErrorText(uint32_t code);

#endif
