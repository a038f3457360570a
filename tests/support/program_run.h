// Runs the built test program with scripted input against the simulated
// board and collects what it printed, its exit code and the library call
// trace.
#ifndef TESTS_SUPPORT_PROGRAM_RUN_H
#define TESTS_SUPPORT_PROGRAM_RUN_H

#include <functional>
#include <map>
#include <string>
#include <vector>

// One piece of input. The writer first waits until the program's output
// holds `afterOutput` at least `occurrences` times (when set), then waits
// `delayMs`, runs `action` (when set: a test on hardware drives or checks a
// device at that point of the dialogue), then writes `text`.
struct InputStep {
    std::string text;
    std::string afterOutput;
    int occurrences = 1;
    int delayMs = 0;
    std::function<void()> action;
};

struct RunOptions {
    std::vector<InputStep> input;
    // Extra environment, e.g. {"QZHAL_SIM_FAIL", "CalibrateTouch"}.
    std::map<std::string, std::string> environment;
    // The standard input stays open after the last step until the program
    // ends (false: it is closed, so the program sees the end of its input).
    bool keepInputOpen = false;
    // A run that takes longer is killed and reported as timed out.
    int timeoutMs = 20000;
    // The program to run; empty: the built qzhaltest, or the program that
    // QZHAL_TEST_PROGRAM names.
    std::string program;
    std::vector<std::string> arguments;
};

struct RunResult {
    std::string output;               // standard output
    std::string errors;               // standard error
    std::vector<std::string> trace;   // call trace, one entry per line
    int exitCode = -1;                // -1 when killed by a signal
    bool timedOut = false;
};

RunResult RunProgram(const RunOptions &options);

// The common case: the whole script at once, then the end of the input.
RunResult RunProgram(const std::string &script,
                     const std::map<std::string, std::string> &environment = {});

// Path of the dialogue probe: a small program that asks the dialogue's
// prompts named by its arguments and prints what they read.
std::string DialogueProbeProgram();

// Path of the test build of the program, which can fail system calls on
// demand (QZHAL_PLATFORM_FAIL).
std::string FaultInjectingProgram();

#endif
