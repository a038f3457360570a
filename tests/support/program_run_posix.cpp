// POSIX half of the transcript harness: fork and exec with the standard
// descriptors on pipes, poll for the output until the time limit.
#include "program_run_os.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::string MakeTraceFile() {
    char path[] = "/tmp/qzhal-trace-XXXXXX";
    int fd = mkstemp(path);
    if (fd >= 0) close(fd);
    return path;
}

// On a failed exec the child writes its errno to `execFailed`, a pipe that
// a successful exec closes.
[[noreturn]] void RunChild(const RunOptions &options, const std::string &tracePath, int in, int out,
                           int err, int execFailed) {
    std::signal(SIGPIPE, SIG_DFL);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    // The older trace variable, which both libraries read when QZHAL_TRACE
    // is unset, so that a run's own QZHAL_SIM_TRACE still wins.
    unsetenv("QZHAL_TRACE");
    setenv("QZHAL_SIM_TRACE", tracePath.c_str(), 1);
    unsetenv("QZHAL_SIM_FAIL");
    unsetenv("QZHAL_PLATFORM_FAIL");
    for (const auto &entry : options.environment) setenv(entry.first.c_str(), entry.second.c_str(), 1);
    std::vector<std::string> words = ProgramWords(options);
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    int error = errno;
    ssize_t ignored = write(execFailed, &error, sizeof error);
    (void)ignored;
    _exit(127);
}

bool WriteAll(int fd, const std::string &text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t wrote = write(fd, text.data() + done, text.size() - done);
        if (wrote <= 0) return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

// Reads both output pipes until they end or the time is up.
bool CollectOutput(int out, int err, const RunOptions &options, SharedOutput &output,
                   std::string &errors) {
    auto deadline = Clock::now() + std::chrono::milliseconds(options.timeoutMs);
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        int ready = poll(fds, 2, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        for (pollfd &fd : fds) {
            if (fd.fd < 0 || fd.revents == 0) continue;
            char bytes[4096];
            ssize_t got = read(fd.fd, bytes, sizeof bytes);
            if (got <= 0) {
                fd.fd = -1;
                --open;
            } else if (&fd == &fds[0]) {
                AddOutput(output, bytes, static_cast<size_t>(got));
            } else {
                errors.append(bytes, static_cast<size_t>(got));
            }
        }
    }
    return true;
}

}  // namespace

RunResult RunProgram(const RunOptions &options) {
    // Input the program did not read when it ended must not end the test.
    std::signal(SIGPIPE, SIG_IGN);
    RunResult result;
    std::string tracePath = MakeTraceFile();
    int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1}, exec[2] = {-1, -1};
    pid_t child = -1;
    if (pipe2(in, O_CLOEXEC) == 0 && pipe2(out, O_CLOEXEC) == 0 && pipe2(err, O_CLOEXEC) == 0 &&
        pipe2(exec, O_CLOEXEC) == 0)
        child = fork();
    if (child < 0) {
        ReportStartFailure(options, std::strerror(errno));
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1], exec[0], exec[1]})
            if (fd >= 0) close(fd);
        unlink(tracePath.c_str());
        return result;
    }
    if (child == 0) RunChild(options, tracePath, in[0], out[1], err[1], exec[1]);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    close(exec[1]);
    int execError = 0;
    if (read(exec[0], &execError, sizeof execError) == sizeof execError)
        ReportStartFailure(options, std::strerror(execError));
    close(exec[0]);

    SharedOutput output;
    std::thread writer([&] {
        FeedInput(options, output, [&](const std::string &text) { return WriteAll(in[1], text); });
        close(in[1]);
    });
    result.timedOut = !CollectOutput(out[0], err[0], options, output, result.errors);
    if (result.timedOut) kill(child, SIGKILL);
    MarkEnded(output);
    writer.join();
    close(out[0]);
    close(err[0]);

    int status = 0;
    waitpid(child, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = TakeOutput(output);
    result.trace = ReadLines(tracePath);
    unlink(tracePath.c_str());
    return result;
}
