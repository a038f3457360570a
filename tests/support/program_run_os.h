// Inside the transcript harness: what program_run.cpp shares with the
// per-OS halves that start the program (program_run_posix.cpp,
// program_run_win32.cpp).
#ifndef TESTS_SUPPORT_PROGRAM_RUN_OS_H
#define TESTS_SUPPORT_PROGRAM_RUN_OS_H

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "program_run.h"

// The program's standard output as it arrives, for the input steps that
// wait for it.
struct SharedOutput {
    std::mutex mutex;
    std::condition_variable grew;
    std::string text;
    bool ended = false;
};

void AddOutput(SharedOutput &output, const char *bytes, size_t count);
void MarkEnded(SharedOutput &output);
std::string TakeOutput(SharedOutput &output);

// Writes the input steps through `write` (false: the program no longer
// reads), each when the output it waits for has come, and with
// keepInputOpen waits for the end of the run. The caller then closes the
// input.
void FeedInput(const RunOptions &options, SharedOutput &output,
               const std::function<bool(const std::string &)> &write);

// Fails the running test: the program could not be started, for `reason`.
void ReportStartFailure(const RunOptions &options, const std::string &reason);

// The launcher's words, the program and its arguments.
std::vector<std::string> ProgramWords(const RunOptions &options);

std::vector<std::string> ReadLines(const std::string &path);

#endif
