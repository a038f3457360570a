// POSIX implementation of platform/sync.h: events are eventfd descriptors
// (the board library signals them by adding 1), threads are pthreads.
#include "sync.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
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
// handle is never confused with nullptr or with the console.
constexpr int kLowestEventDescriptor = 3;

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
    return nullptr;
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

bool WaitFaultInjected() {
    if (!PlatformFaultInjected("WaitForSingleObject")) return false;
    errno = EBADF;
    return true;
}

}  // namespace

PlatformHandle PlatformCreateEvent() {
    if (PlatformFaultInjected("CreateEvent")) {
        errno = EMFILE;
        return nullptr;
    }
    int fd = eventfd(0, EFD_CLOEXEC);
    if (fd < 0) return nullptr;
    if (fd < kLowestEventDescriptor) {
        int moved = fcntl(fd, F_DUPFD_CLOEXEC, kLowestEventDescriptor);
        int saved = errno;
        close(fd);
        errno = saved;
        if (moved < 0) return nullptr;
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
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(PauseAsBuilt(milliseconds));
    for (;;) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd fd{EventDescriptor(event), POLLIN, 0};
        int ready = poll(&fd, 1, left > 0 ? static_cast<int>(left) : 0);
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
        return nullptr;
    }
    auto *thread = new (std::nothrow) PosixThread{pthread_t{}, false};
    auto *start = new (std::nothrow) ThreadStart{proc, parameter};
    if (!thread || !start) {
        delete thread;
        delete start;
        errno = ENOMEM;
        return nullptr;
    }
    int error = pthread_create(&thread->id, nullptr, RunThread, start);
    if (error != 0) {
        delete thread;
        delete start;
        errno = error;
        return nullptr;
    }
    return thread;
}

uint32_t PlatformWaitForAllThreads(PlatformHandle *threads, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        auto *thread = static_cast<PosixThread *>(threads[i]);
        if (!thread || thread->joined) continue;
        int error = pthread_join(thread->id, nullptr);
        if (error != 0) {
            errno = error;
            return kPlatformWaitFailed;
        }
        thread->joined = true;
    }
    return kPlatformWaitSignalled;
}

void PlatformCloseThread(PlatformHandle handle) {
    auto *thread = static_cast<PosixThread *>(handle);
    if (!thread) return;
    if (!thread->joined) pthread_detach(thread->id);
    delete thread;
}
