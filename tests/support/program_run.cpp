// The transcript harness's portable part: input steps, the output they wait
// for, the command words and the trace file's lines.
#include "program_run.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "program_run_os.h"

namespace {

int CountOccurrences(const std::string &text, const std::string &pattern) {
    int count = 0;
    for (size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + 1))
        ++count;
    return count;
}

// The build's launcher (an emulator for a program of another architecture),
// blank-separated words; none for a program this machine runs itself.
std::vector<std::string> LauncherWords() {
    std::istringstream launcher(QZHAL_PROGRAM_LAUNCHER);
    std::vector<std::string> words;
    for (std::string word; launcher >> word;) words.push_back(word);
    return words;
}

// The program under test: this build's qzhaltest, or another build of it
// named by QZHAL_TEST_PROGRAM (the program built alone against a board
// library, say), so that every transcript can run against any build.
std::string ProgramUnderTest() {
    const char *other = std::getenv("QZHAL_TEST_PROGRAM");
    return other && *other ? other : QZHALTEST_PROGRAM;
}

}  // namespace

void AddOutput(SharedOutput &output, const char *bytes, size_t count) {
    std::lock_guard<std::mutex> lock(output.mutex);
    output.text.append(bytes, count);
    output.grew.notify_all();
}

void MarkEnded(SharedOutput &output) {
    std::lock_guard<std::mutex> lock(output.mutex);
    output.ended = true;
    output.grew.notify_all();
}

std::string TakeOutput(SharedOutput &output) {
    std::lock_guard<std::mutex> lock(output.mutex);
    return output.text;
}

void FeedInput(const RunOptions &options, SharedOutput &output,
               const std::function<bool(const std::string &)> &write) {
    for (const InputStep &step : options.input) {
        if (!step.afterOutput.empty()) {
            std::unique_lock<std::mutex> lock(output.mutex);
            output.grew.wait(lock, [&] {
                return output.ended || CountOccurrences(output.text, step.afterOutput) >= step.occurrences;
            });
            if (output.ended) break;
        }
        if (step.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(step.delayMs));
        if (step.action) step.action();
        if (!write(step.text)) break;
    }
    if (options.keepInputOpen) {
        std::unique_lock<std::mutex> lock(output.mutex);
        output.grew.wait(lock, [&] { return output.ended; });
    }
}

void ReportStartFailure(const RunOptions &options, const std::string &reason) {
    ADD_FAILURE() << "cannot start " << ProgramWords(options).front() << ": " << reason;
}

std::vector<std::string> ProgramWords(const RunOptions &options) {
    std::vector<std::string> words = LauncherWords();
    words.push_back(options.program.empty() ? ProgramUnderTest() : options.program);
    words.insert(words.end(), options.arguments.begin(), options.arguments.end());
    return words;
}

std::vector<std::string> ReadLines(const std::string &path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

RunResult RunProgram(const std::string &script, const std::map<std::string, std::string> &environment) {
    RunOptions options;
    options.input.push_back({script});
    options.environment = environment;
    return RunProgram(options);
}

std::string DialogueProbeProgram() { return QZHAL_DIALOGUE_PROBE; }

std::string FaultInjectingProgram() { return QZHALTEST_FAULTS_PROGRAM; }
