// Starting the worker threads of the tests that run several threads at once.
// Both failures end the whole process instead of returning to a menu.
#ifndef SHELL_WORKER_THREADS_H
#define SHELL_WORKER_THREADS_H

#include <cstddef>

#include "../platform/sync.h"

// Exit codes of the two process-ending failures.
const uint32_t kExitCodeNoWorkerRecord = 2;
const uint32_t kExitCodeNoWorkerThread = 3;

// A zero-filled record of `bytes` from the process heap; when none can be
// had the process ends with kExitCodeNoWorkerRecord, printing nothing.
void *AllocateWorkerRecord(size_t bytes);

// Starts proc(parameter) at once; when the thread cannot be started the
// "Error" box names `callName`, and once it is closed the process ends with
// kExitCodeNoWorkerThread. Threads started before are left running.
PlatformHandle StartWorkerThread(PlatformThreadProc proc, void *parameter, const char *callName);

#endif
