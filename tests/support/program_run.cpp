#include "program_run.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct SharedOutput {
    std::mutex mutex;
    std::condition_variable grew;
    std::string text;
    bool ended = false;
};

int CountOccurrences(const std::string &text, const std::string &pattern) {
    int count = 0;
    for (size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + 1))
        ++count;
    return count;
}

std::string MakeTraceFile() {
    char path[] = "/tmp/qzhal-trace-XXXXXX";
    int fd = mkstemp(path);
    if (fd >= 0) close(fd);
    return path;
}

std::vector<std::string> ReadLines(const std::string &path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

// The build's launcher (an emulator for a program of another architecture),
// blank-separated words; none for a program this machine runs itself.
std::vector<std::string> LauncherWords() {
    std::istringstream launcher(QZHAL_PROGRAM_LAUNCHER);
    std::vector<std::string> words;
    for (std::string word; launcher >> word;) words.push_back(word);
    return words;
}

[[noreturn]] void RunChild(const RunOptions &options, const std::string &tracePath, int in, int out,
                           int err) {
    std::signal(SIGPIPE, SIG_DFL);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    setenv("QZHAL_SIM_TRACE", tracePath.c_str(), 1);
    unsetenv("QZHAL_SIM_FAIL");
    unsetenv("QZHAL_PLATFORM_FAIL");
    for (const auto &entry : options.environment) setenv(entry.first.c_str(), entry.second.c_str(), 1);
    std::vector<std::string> words = LauncherWords();
    words.push_back(options.program.empty() ? QZHALTEST_PROGRAM : options.program);
    words.insert(words.end(), options.arguments.begin(), options.arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

void WriteInput(const RunOptions &options, int fd, SharedOutput &output) {
    for (const InputStep &step : options.input) {
        if (!step.afterOutput.empty()) {
            std::unique_lock<std::mutex> lock(output.mutex);
            output.grew.wait(lock, [&] {
                return output.ended || CountOccurrences(output.text, step.afterOutput) >= step.occurrences;
            });
            if (output.ended) break;
        }
        if (step.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(step.delayMs));
        size_t done = 0;
        while (done < step.text.size()) {
            ssize_t wrote = write(fd, step.text.data() + done, step.text.size() - done);
            if (wrote <= 0) break;
            done += static_cast<size_t>(wrote);
        }
    }
    if (options.keepInputOpen) {
        std::unique_lock<std::mutex> lock(output.mutex);
        output.grew.wait(lock, [&] { return output.ended; });
    }
    close(fd);
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
                std::lock_guard<std::mutex> lock(output.mutex);
                output.text.append(bytes, static_cast<size_t>(got));
                output.grew.notify_all();
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
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return result;
    pid_t child = fork();
    if (child == 0) RunChild(options, tracePath, in[0], out[1], err[1]);
    close(in[0]);
    close(out[1]);
    close(err[1]);

    SharedOutput output;
    std::thread writer(WriteInput, std::cref(options), in[1], std::ref(output));
    result.timedOut = !CollectOutput(out[0], err[0], options, output, result.errors);
    if (result.timedOut) kill(child, SIGKILL);
    {
        std::lock_guard<std::mutex> lock(output.mutex);
        output.ended = true;
        output.grew.notify_all();
    }
    writer.join();
    close(out[0]);
    close(err[0]);

    int status = 0;
    waitpid(child, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = output.text;
    result.trace = ReadLines(tracePath);
    unlink(tracePath.c_str());
    return result;
}

RunResult RunProgram(const std::string &script, const std::map<std::string, std::string> &environment) {
    RunOptions options;
    options.input.push_back({script});
    options.environment = environment;
    return RunProgram(options);
}

std::string DialogueProbeProgram() { return QZHAL_DIALOGUE_PROBE; }

std::string FaultInjectingProgram() { return QZHALTEST_FAULTS_PROGRAM; }
