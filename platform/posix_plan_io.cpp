// POSIX implementation of platform/plan_io.h.
#include "plan_io.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
const size_t kStopSignalCount = sizeof kStopSignals / sizeof kStopSignals[0];

std::string SystemReason(int error) { return std::strerror(error); }

std::string TemporaryFolder() {
    const char *folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

std::string BaseNameOf(const std::string &path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Why what is open at descriptor cannot be a plan; empty when it can.
std::string NotAPlan(const struct stat &about) {
    if (S_ISDIR(about.st_mode)) return "is a directory, not a plan file";
    if (S_ISCHR(about.st_mode) || S_ISBLK(about.st_mode)) return "is a device, not a plan file";
    if (!S_ISREG(about.st_mode) && !S_ISFIFO(about.st_mode)) return "is neither a file nor a pipe";
    if (S_ISREG(about.st_mode) && about.st_size > static_cast<off_t>(kPlanFileMaxBytes))
        return "is larger than 16 MiB, the most a plan may be";
    return "";
}

bool ReadAll(int descriptor, std::string &text, std::string &reason) {
    char block[65536];
    for (;;) {
        ssize_t got = read(descriptor, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            reason = "cannot read it: " + SystemReason(errno);
            return false;
        }
        if (got == 0) return true;
        if (text.size() + static_cast<size_t>(got) > kPlanFileMaxBytes) {
            reason = "is larger than 16 MiB, the most a plan may be";
            return false;
        }
        text.append(block, static_cast<size_t>(got));
    }
}

// Where a path that does not exist yet would be: its folder made absolute,
// and a dangling link followed to what it names.
std::string PlaceOf(const std::string &path, int linksLeft) {
    struct stat about;
    if (linksLeft > 0 && lstat(path.c_str(), &about) == 0 && S_ISLNK(about.st_mode)) {
        std::vector<char> target(static_cast<size_t>(about.st_size > 0 ? about.st_size : 255) + 1, '\0');
        ssize_t length = readlink(path.c_str(), &target[0], target.size() - 1);
        if (length > 0) {
            std::string named(&target[0], static_cast<size_t>(length));
            if (named[0] != '/') named = PlatformFolderOf(path) + "/" + named;
            return PlaceOf(named, linksLeft - 1);
        }
    }
    char *folder = realpath(PlatformFolderOf(path).c_str(), NULL);
    if (!folder) return path;
    std::string place = std::string(folder) + "/" + BaseNameOf(path);
    std::free(folder);
    return place;
}

// Stop requests: the signals are blocked in the program's threads and taken
// by a thread of their own with sigwait, which then runs the handler with
// the hold taken, so the handler may do anything a thread may. A thread
// that was running before they were blocked (one the board library started)
// may still catch one: it hands it on to that thread.
sigset_t g_stopSignals;
pthread_t g_stopWatcher;
void (*g_onStop)(int) = NULL;
pthread_mutex_t g_stopHold = PTHREAD_MUTEX_INITIALIZER;

void HandOnStopSignal(int number) {
    int saved = errno;
    pthread_kill(g_stopWatcher, number);
    errno = saved;
}

void *WatchStopRequests(void *) {
    for (;;) {
        int number = 0;
        if (sigwait(&g_stopSignals, &number) != 0) continue;
        pthread_mutex_lock(&g_stopHold);
        g_onStop(number);
        pthread_mutex_unlock(&g_stopHold);
    }
}

void CloseOnExec(int descriptor) { fcntl(descriptor, F_SETFD, fcntl(descriptor, F_GETFD) | FD_CLOEXEC); }

}  // namespace

std::string PlatformResolvePath(const std::string &path) { return path; }

bool PlatformReadPlanFile(const std::string &path, std::string &text, std::string &reason) {
    text.clear();
    // Without O_NONBLOCK, opening a FIFO waits until something opens it for
    // writing, which may be never.
    int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0) {
        reason = "cannot open it: " + SystemReason(errno);
        return false;
    }
    struct stat about;
    bool read = false;
    if (fstat(descriptor, &about) != 0) {
        reason = "cannot read it: " + SystemReason(errno);
    } else {
        reason = NotAPlan(about);
        // Reads wait for a writer that is there; a FIFO without one reads
        // as empty.
        if (reason.empty() && S_ISREG(about.st_mode)) text.reserve(static_cast<size_t>(about.st_size));
        if (reason.empty() && fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) == 0)
            read = ReadAll(descriptor, text, reason);
    }
    close(descriptor);
    return read;
}

PathKind PlatformPathKind(const std::string &path) {
    struct stat about;
    if (stat(path.c_str(), &about) != 0) return kPathMissing;
    if (S_ISDIR(about.st_mode)) return kPathDirectory;
    return S_ISREG(about.st_mode) ? kPathRegularFile : kPathOther;
}

bool PlatformSameFile(const std::string &a, const std::string &b) {
    struct stat aboutA, aboutB;
    bool aExists = stat(a.c_str(), &aboutA) == 0;
    bool bExists = stat(b.c_str(), &aboutB) == 0;
    if (aExists && bExists) return aboutA.st_dev == aboutB.st_dev && aboutA.st_ino == aboutB.st_ino;
    if (aExists != bExists) return false;
    return PlaceOf(a, 8) == PlaceOf(b, 8);
}

std::string PlatformFolderOf(const std::string &path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// mkstemp creates the file with O_CREAT | O_EXCL, which never follows a
// link, under six random letters.
std::FILE *PlatformCreateScratchFile(const std::string &folder, const char *name, bool keepName,
                                     std::string &path, std::string &reason) {
    std::string where = folder.empty() ? TemporaryFolder() : folder;
    std::string pattern = where + "/" + name + ".XXXXXX";
    std::vector<char> made(pattern.begin(), pattern.end());
    made.push_back('\0');
    int descriptor = mkstemp(&made[0]);
    if (descriptor < 0) {
        reason = "cannot create a scratch file in " + where + ": " + SystemReason(errno);
        return NULL;
    }
    CloseOnExec(descriptor);
    std::FILE *file = fdopen(descriptor, "w+b");
    if (!file) {
        reason = "cannot open a scratch file in " + where + ": " + SystemReason(errno);
        close(descriptor);
        unlink(&made[0]);
        return NULL;
    }
    path = &made[0];
    if (!keepName) {
        unlink(path.c_str());
        path.clear();
    }
    return file;
}

std::FILE *PlatformOpenConsoleStream() {
    std::fflush(stdout);
    int copy = dup(STDOUT_FILENO);
    if (copy < 0) return NULL;
    std::FILE *stream = fdopen(copy, "w");
    if (!stream) close(copy);
    return stream;
}

// The capture file loses its name as soon as standard output holds it.
bool PlatformCaptureStdout(std::string &reason) {
    std::string path;
    std::FILE *scratch = PlatformCreateScratchFile("", "qzhaltest-steps", true, path, reason);
    if (!scratch) return false;
    std::fflush(stdout);
    bool captured = std::freopen(path.c_str(), "w+b", stdout) != NULL;
    if (!captured) reason = "cannot capture the dialogue in " + path + ": " + SystemReason(errno);
    std::fclose(scratch);
    unlink(path.c_str());
    return captured;
}

void PlatformEndCapture() {
    std::fflush(stdout);
    if (!std::freopen("/dev/null", "w", stdout)) std::fclose(stdout);
}

bool PlatformReplaceFile(const std::string &from, const std::string &to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void PlatformRemoveFile(const std::string &path) { std::remove(path.c_str()); }

std::string PlatformLastFileError() { return SystemReason(errno); }

bool PlatformCatchStopRequests(void (*onRequest)(int signalNumber)) {
    if (g_onStop) return false;
    g_onStop = onRequest;
    // A signal the process was started ignoring (nohup, a background job of
    // a script) stays ignored.
    sigemptyset(&g_stopSignals);
    for (size_t i = 0; i < kStopSignalCount; ++i) {
        struct sigaction inherited;
        if (sigaction(kStopSignals[i], NULL, &inherited) == 0 && inherited.sa_handler != SIG_IGN)
            sigaddset(&g_stopSignals, kStopSignals[i]);
    }
    // Blocked here, and so in every thread started from here on.
    pthread_sigmask(SIG_BLOCK, &g_stopSignals, NULL);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    bool started = pthread_create(&g_stopWatcher, &attributes, WatchStopRequests, NULL) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) return false;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = HandOnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kStopSignalCount; ++i)
        if (sigismember(&g_stopSignals, kStopSignals[i])) sigaction(kStopSignals[i], &action, NULL);
    return true;
}

void PlatformHoldStopRequests() { pthread_mutex_lock(&g_stopHold); }

void PlatformReleaseStopRequests() { pthread_mutex_unlock(&g_stopHold); }

const char *PlatformSignalName(int signalNumber) {
    switch (signalNumber) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}

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
