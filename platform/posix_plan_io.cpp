// POSIX implementation of platform/plan_io.h.
#include "plan_io.h"

#include <cstdlib>
#include <ctime>
#include <unistd.h>
#include <vector>

std::FILE *PlatformOpenConsoleStream() {
    std::fflush(stdout);
    int copy = dup(STDOUT_FILENO);
    if (copy < 0) return NULL;
    std::FILE *stream = fdopen(copy, "w");
    if (!stream) close(copy);
    return stream;
}

bool PlatformCaptureStdout(const std::string &path) {
    std::fflush(stdout);
    return std::freopen(path.c_str(), "w", stdout) != NULL;
}

// Made by mkstemp, new and this user's only: a name known in advance in a
// shared /tmp could be a link another user laid there.
std::string PlatformTempFilePath(const char *name) {
    const char *directory = std::getenv("TMPDIR");
    if (!directory || !*directory) directory = "/tmp";
    char id[32];
    std::sprintf(id, ".%ld.XXXXXX", static_cast<long>(getpid()));
    std::string path = std::string(directory) + "/" + name + id;
    std::vector<char> pattern(path.begin(), path.end());
    pattern.push_back('\0');
    int file = mkstemp(&pattern[0]);
    if (file < 0) return path;
    close(file);
    return &pattern[0];
}

bool PlatformReplaceFile(const std::string &from, const std::string &to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void PlatformRemoveFile(const std::string &path) { std::remove(path.c_str()); }

uint32_t PlatformMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(now.tv_sec) * 1000u + static_cast<uint32_t>(now.tv_nsec / 1000000L);
}

std::string PlatformUtcTimestamp() {
    std::time_t now = std::time(NULL);
    std::tm parts;
    char text[32] = "1970-01-01T00:00:00";
    if (gmtime_r(&now, &parts)) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    return text;
}
