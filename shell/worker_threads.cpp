#include "worker_threads.h"

#include "../platform/system.h"
#include "error_box.h"

void *AllocateWorkerRecord(size_t bytes) {
    void *record = PlatformHeapAllocZeroed(bytes);
    if (!record) PlatformExitProcess(kExitCodeNoWorkerRecord);
    return record;
}

PlatformHandle StartWorkerThread(PlatformThreadProc proc, void *parameter, const char *callName) {
    PlatformHandle thread = PlatformCreateThread(proc, parameter);
    if (!thread) {
        ShowLastErrorBox(callName);
        PlatformExitProcess(kExitCodeNoWorkerThread);
    }
    return thread;
}
