// POSIX seam of the simulated board: the event is an eventfd descriptor.
#include "sim_os.h"

#include <cerrno>
#include <cstdint>
#include <pthread.h>
#include <unistd.h>

namespace {

void *RunThread(void *run) {
    reinterpret_cast<void (*)()>(run)();
    return nullptr;
}

}  // namespace

bool SimSignalEvent(QZHAL_EVENT event) {
    int fd = static_cast<int>(reinterpret_cast<intptr_t>(event));
    uint64_t one = 1;
    ssize_t wrote;
    do {
        wrote = write(fd, &one, sizeof one);
    } while (wrote < 0 && errno == EINTR);
    return wrote == static_cast<ssize_t>(sizeof one) || errno != EBADF;
}

bool SimStartDetachedThread(void (*run)()) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    int error = pthread_create(&thread, &attributes, RunThread, reinterpret_cast<void *>(run));
    pthread_attr_destroy(&attributes);
    if (error != 0) errno = error;
    return error == 0;
}

void SimSetLastError(SimError error) { errno = error == SimError::kInvalidArgument ? EINVAL : EIO; }
