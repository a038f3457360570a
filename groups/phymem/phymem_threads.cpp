// The asynchronous register read: four threads, each reading one register on
// a library channel of its own. The console thread waits for all of them
// before it touches their records; nothing else synchronises them.
#include <cstdio>

#include "../../hal/QZHalLib.h"
#include "../../platform/sync.h"
#include "../../platform/system.h"
#include "../../shell/dialogue.h"
#include "../../shell/worker_threads.h"
#include "phymem_tests.h"

namespace {

const int32_t kAccessWidth = 32;

// Threads started before a failure are left running: ending the process
// ends them.
PlatformHandle StartReadThread(PhymemThreadData *&record, uint8_t channel, uint32_t address) {
    record = static_cast<PhymemThreadData *>(AllocateWorkerRecord(sizeof(PhymemThreadData)));
    record->channel = channel;
    record->address = address;
    return StartWorkerThread(PhysicalMemoryTests::PhymemReadThread, record, "CreateThread");
}

}  // namespace

int PhysicalMemoryTests::PhymemAsyncRead(const uint32_t addresses[kPhymemThreadCount],
                                         uint32_t results[kPhymemThreadCount]) {
    PlatformHandle threads[kPhymemThreadCount] = {};
    PhymemThreadData *records[kPhymemThreadCount] = {};
    for (size_t i = 0; i < kPhymemThreadCount; ++i)
        threads[i] = StartReadThread(records[i], static_cast<uint8_t>(i + 1), addresses[i]);
    PlatformWaitForAllThreads(threads, kPhymemThreadCount);
    for (size_t i = 0; i < kPhymemThreadCount; ++i) {
        PlatformCloseThread(threads[i]);
        PrintLine("Phymem Read Thread Channel Return: 0x" + HexText(records[i]->result));
        results[i] = records[i]->result;
        PlatformHeapFree(records[i]);
        records[i] = NULL;
    }
    return 1;
}

uint32_t PhysicalMemoryTests::PhymemReadThread(void *parameter) {
    PhymemThreadData *record = static_cast<PhymemThreadData *>(parameter);
    std::printf("PHYMEM_READ_THREAD: Channel: %x | Address: %x\n", static_cast<unsigned>(record->channel),
                static_cast<unsigned>(record->address));
    record->result = ReadPhysicalAddress(record->channel, record->address, kAccessWidth);
    return 0;
}
