// POSIX implementation of platform/sync.h: events are eventfd descriptors
// (the board library signals them by adding 1), threads are pthreads.
#include "sync.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "fault_injection.h"
#include "pause_cap.h"

namespace {

// Descriptors 0 to 2 are the console; an event never takes one of them, so a
// handle is never confused with NULL or with the console.
const int kLowestEventDescriptor = 3;

int EventDescriptor(PlatformHandle event) {
    return static_cast<int>(reinterpret_cast<intptr_t>(event));
}

struct PosixThread {
    pthread_t id;
    bool joined;
};

// What the new thread runs; owned by the thread, since its handle may be
// closed before the thread has even started.
struct ThreadStart {
    PlatformThreadProc proc;
    void *parameter;
};

void *RunThread(void *context) {
    ThreadStart start = *static_cast<ThreadStart *>(context);
    delete static_cast<ThreadStart *>(context);
    start.proc(start.parameter);
    return NULL;
}

// Blocks until the event is signalled and resets it: reading an eventfd
// takes its whole count.
uint32_t TakeSignals(PlatformHandle event) {
    uint64_t count = 0;
    for (;;) {
        ssize_t got = read(EventDescriptor(event), &count, sizeof count);
        if (got == static_cast<ssize_t>(sizeof count)) return kPlatformWaitSignalled;
        if (got < 0 && errno == EINTR) continue;
        return kPlatformWaitFailed;
    }
}

// Milliseconds on the monotonic clock, from an arbitrary start.
uint64_t MonotonicMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

// poll's time-out for what is left of the wait; never negative, which
// would mean "no time-out".
int MsUntil(uint64_t deadline) {
    uint64_t now = MonotonicMs();
    return deadline > now ? static_cast<int>(deadline - now) : 0;
}

bool WaitFaultInjected() {
    if (!PlatformFaultInjected("WaitForSingleObject")) return false;
    errno = EBADF;
    return true;
}

}  // namespace

PlatformHandle PlatformCreateEvent() {
    if (PlatformFaultInjected("CreateEvent")) {
        errno = EMFILE;
        return NULL;
    }
    int fd = eventfd(0, EFD_CLOEXEC);
    if (fd < 0) return NULL;
    if (fd < kLowestEventDescriptor) {
        int moved = fcntl(fd, F_DUPFD_CLOEXEC, kLowestEventDescriptor);
        int saved = errno;
        close(fd);
        errno = saved;
        if (moved < 0) return NULL;
        fd = moved;
    }
    return reinterpret_cast<PlatformHandle>(static_cast<intptr_t>(fd));
}

uint32_t PlatformWaitEvent(PlatformHandle event) {
    if (WaitFaultInjected()) return kPlatformWaitFailed;
    return TakeSignals(event);
}

uint32_t PlatformWaitEventFor(PlatformHandle event, uint32_t milliseconds) {
    if (WaitFaultInjected()) return kPlatformWaitFailed;
    const uint64_t deadline = MonotonicMs() + PauseAsBuilt(milliseconds);
    for (;;) {
        pollfd fd;
        fd.fd = EventDescriptor(event);
        fd.events = POLLIN;
        fd.revents = 0;
        int ready = poll(&fd, 1, MsUntil(deadline));
        if (ready > 0) return TakeSignals(event);
        if (ready == 0) return kPlatformWaitTimedOut;
        if (errno != EINTR) return kPlatformWaitFailed;
    }
}

bool PlatformSetEvent(PlatformHandle event) {
    uint64_t one = 1;
    return write(EventDescriptor(event), &one, sizeof one) == static_cast<ssize_t>(sizeof one);
}

void PlatformCloseEvent(PlatformHandle event) {
    if (event) close(EventDescriptor(event));
}

PlatformHandle PlatformCreateThread(PlatformThreadProc proc, void *parameter) {
    if (PlatformFaultInjected("CreateThread")) {
        errno = EAGAIN;
        return NULL;
    }
    PosixThread *thread = new (std::nothrow) PosixThread();
    ThreadStart *start = new (std::nothrow) ThreadStart();
    if (!thread || !start) {
        delete thread;
        delete start;
        errno = ENOMEM;
        return NULL;
    }
    thread->joined = false;
    start->proc = proc;
    start->parameter = parameter;
    int error = pthread_create(&thread->id, NULL, RunThread, start);
    if (error != 0) {
        delete thread;
        delete start;
        errno = error;
        return NULL;
    }
    return thread;
}

uint32_t PlatformWaitForAllThreads(PlatformHandle *threads, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        PosixThread *thread = static_cast<PosixThread *>(threads[i]);
        if (!thread || thread->joined) continue;
        int error = pthread_join(thread->id, NULL);
        if (error != 0) {
            errno = error;
            return kPlatformWaitFailed;
        }
        thread->joined = true;
    }
    return kPlatformWaitSignalled;
}

void PlatformCloseThread(PlatformHandle handle) {
    PosixThread *thread = static_cast<PosixThread *>(handle);
    if (!thread) return;
    if (!thread->joined) pthread_detach(thread->id);
    delete thread;
}

long PlatformFlagRead(PlatformFlag *flag) { return __atomic_load_n(flag, __ATOMIC_SEQ_CST); }

void PlatformFlagWrite(PlatformFlag *flag, long value) { __atomic_store_n(flag, value, __ATOMIC_SEQ_CST); }
