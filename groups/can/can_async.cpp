// The async read/write test: a reader and a writer thread on channel 1 until
// the operator presses Space.
#include <algorithm>
#include <cstdio>
#include <new>

#include "../../hal/QZHalLib.h"
#include "../../platform/sync.h"
#include "../../platform/system.h"
#include "../../shell/dialogue.h"
#include "../../shell/worker_threads.h"
#include "can_tests.h"

PlatformFlag CANThreadsRunning = 0;

namespace {

// The writer pauses in slices of this length, so that it notices the end of
// the test within one slice however long its delay.
const uint32_t kPauseSliceMs = 10;
// Time the test leaves the console after the workers have ended.
const uint32_t kSettleMs = 1000;

bool ThreadsRunning() { return PlatformFlagRead(&CANThreadsRunning) == 1; }

// A record zero-filled from the process heap, or the end of the process.
template <typename Record>
Record *AllocateRecord() {
    return new (AllocateWorkerRecord(sizeof(Record))) Record();
}

PlatformHandle StartWorker(PlatformThreadProc proc, void *params) {
    return StartWorkerThread(proc, params, "CreateCANThread");
}

bool ConfigureChannel(int32_t mode, uint32_t bitRate, int32_t id, int32_t timeout) {
    return CANConfigureMode(kCanChannel, mode, bitRate, 0, 0) != 0 &&
           CANConfigureMessage(kCanChannel, kCanDataFrame, id, 0, timeout, 0) != 0 &&
           CANConfigureMessage(kCanChannel, kCanDataFrame, id, 0, timeout, 1) != 0 &&
           CANConfigureFilter(kCanChannel, 0, 0, 0, 0) != 0;
}

void PauseWhileRunning(uint32_t delayMs) {
    while (delayMs > 0 && ThreadsRunning()) {
        uint32_t slice = std::min(delayMs, kPauseSliceMs);
        PlatformSleep(slice);
        delayMs -= slice;
    }
}

// One line of a worker, on the console at once even when the output is a
// pipe.
void PrintTransferLine(const char *what, uint32_t count, int32_t length, const uint8_t *bytes) {
    std::printf("CAN %s Count: %u | Length: %d | Data: 0x%x,0x%x,0x%x,0x%x,0x%x,0x%x,0x%x,0x%x\n", what, count,
                length, bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7]);
    std::fflush(stdout);
}

void PrintErrorLine(const char *what, int32_t error) {
    std::printf("CAN %s Error: %d\n", what, error);
    std::fflush(stdout);
}

// Runs the two workers on the opened, configured channel until Space, and
// returns once both have ended.
void RunWorkers(CANReadThreadParams *readParams, CANWriteThreadParams *writeParams) {
    PlatformFlagWrite(&CANThreadsRunning, 1);
    PlatformHandle threads[2];
    threads[0] = StartWorker(CanTests::CANReadThread, readParams);
    threads[1] = StartWorker(CanTests::CANWriteThread, writeParams);
    WaitForSpaceKey();
    PlatformFlagWrite(&CANThreadsRunning, 0);
    // The close makes a transfer that is still waiting return at once; the
    // records and buffers stay until both workers are gone.
    CANClose(kCanChannel);
    PlatformWaitForAllThreads(threads, 2);
    PlatformCloseThread(threads[0]);
    PlatformCloseThread(threads[1]);
}

}  // namespace

int CanTests::CANAsyncReadWriteTest(int32_t mode, uint32_t bitRate, int32_t id, int32_t length, const char *text,
                                    int32_t timeout, uint32_t delay) {
    uint8_t receive[kCanFrameBytes] = {};
    uint8_t transmit[kCanFrameBytes] = {};
    // The read length bounds the packed bytes too; a length the buffers
    // cannot take is refused below.
    size_t packedSize = std::min(static_cast<size_t>(std::max(length, 0)), kCanFrameBytes);
    int32_t writeLength = PackCANData(text, transmit, packedSize);

    CANReadThreadParams *readParams = AllocateRecord<CANReadThreadParams>();
    CANWriteThreadParams *writeParams = AllocateRecord<CANWriteThreadParams>();
    readParams->length = length;
    readParams->buffer = receive;
    writeParams->length = writeLength;
    writeParams->buffer = transmit;
    writeParams->delay = delay;

    int result = 0;
    if (CANOpen(kCanChannel) == 1) {
        if (!ConfigureChannel(mode, bitRate, id, timeout)) {
            CANClose(kCanChannel);
        } else if (length < 1 || length > static_cast<int32_t>(kCanFrameBytes)) {
            PrintLine("CAN read data size error");
            CANClose(kCanChannel);
        } else {
            RunWorkers(readParams, writeParams);
            PlatformSleep(kSettleMs);
            result = 1;
        }
    }
    PlatformHeapFree(readParams);
    PlatformHeapFree(writeParams);
    return result;
}

uint32_t CanTests::CANReadThread(void *params) {
    CANReadThreadParams *record = static_cast<CANReadThreadParams *>(params);
    uint32_t count = 0;
    int32_t error = 0;
    while (ThreadsRunning()) {
        if (CANRead(kCanChannel, record->buffer, record->length, &error) == 1)
            PrintTransferLine("Read", count, record->length, record->buffer);
        else
            PrintErrorLine("Read", error);
        ++count;
    }
    return 0;
}

uint32_t CanTests::CANWriteThread(void *params) {
    CANWriteThreadParams *record = static_cast<CANWriteThreadParams *>(params);
    uint32_t count = 0;
    int32_t error = 0;
    while (ThreadsRunning()) {
        if (CANWrite(kCanChannel, record->buffer, record->length, &error) == 1)
            PrintTransferLine("Write", count, record->length, record->buffer);
        else
            PrintErrorLine("Write", error);
        ++count;
        PauseWhileRunning(record->delay);
    }
    return 0;
}
