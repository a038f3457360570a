#include "trace_output.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char *TracePath() {
    const char *path = std::getenv(kTraceVariable);
    return path ? path : std::getenv(kOlderTraceVariable);
}

// -1: tracing off.
int OpenTrace() {
    const char *path = TracePath();
    if (!path || !*path) return -1;
    if (std::strcmp(path, "-") == 0) return STDERR_FILENO;
    return open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

int TraceFd() {
    static const int fd = OpenTrace();
    return fd;
}

}  // namespace

bool TraceOutputOn() { return TraceFd() >= 0; }

void TraceOutputWrite(const std::string &line) {
    const int fd = TraceFd();
    size_t done = 0;
    while (fd >= 0 && done < line.size()) {
        ssize_t wrote = write(fd, line.data() + done, line.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return;
        done += static_cast<size_t>(wrote);
    }
}
