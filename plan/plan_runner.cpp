#include "plan_runner.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "../platform/console.h"
#include "../platform/plan_io.h"
#include "../platform/system.h"
#include "../shell/dialogue.h"
#include "../shell/main_menu.h"
#include "plan_text.h"
#include "reports.h"

namespace {

// The capture is written from its start again once a step begins past
// this, so that a long run does not fill the disk.
const long kCaptureLimit = 1L << 20;

// Step names and messages on the console are cut to this many bytes.
const size_t kConsoleTextBytes = 400;

// Where a step whose answers ran out leaves the dialogue. Only the console
// thread reads input, and it jumps back out of the dialogue's own frames as
// a read begins. No object with a destructor may be alive in those frames
// then (a prompt built as a std::string, say): the jump would skip it.
std::jmp_buf g_stepEnd;

void EndStepOutOfAnswers() { std::longjmp(g_stepEnd, 1); }

// One pass of the main menu with the fed answers; true when they ran out.
bool RunMenusUntilBack(TestGroups &groups) {
    if (setjmp(g_stepEnd) != 0) return true;
    RunMainMenuPass(groups);
    return false;
}

struct Run {
    PlanRunOptions options;
    int32_t pass;
    std::FILE *console;
    size_t done;      // step runs with a verdict
    size_t failures;
    size_t skipped;   // listed in the JUnit report as not run
    size_t total;
    int width;        // digits of total
    bool stopped;     // --stop-on-failure met a failure
    bool finished;    // the reports are closed: a stop request has nothing left to end
    uint32_t start;
    uint32_t lastStepEnd;  // the next step's wall time begins here
    JsonReport json;
    JunitReport junit;
    TestGroups groups;
};

// The run that a stop request ends.
Run *g_stoppable = NULL;

bool EndsWith(const std::string &text, const char *end) {
    std::string tail(end);
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void SplitLines(const std::string &bytes, std::vector<std::string> &lines) {
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        std::string line = bytes.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!line.empty() && line[line.size() - 1] == '\r') line.erase(line.size() - 1);
        lines.push_back(line);
        at = end == std::string::npos ? bytes.size() : end + 1;
    }
}

// What the step printed into the capture since `start`; the capture then
// goes on at its end.
void TakeStepLines(long start, std::vector<std::string> &lines) {
    lines.clear();
    std::fflush(stdout);
    long end = std::ftell(stdout);
    if (start < 0 || end <= start || std::fseek(stdout, start, SEEK_SET) != 0) return;
    std::string bytes(static_cast<size_t>(end - start), '\0');
    bytes.resize(std::fread(&bytes[0], 1, bytes.size(), stdout));
    std::fseek(stdout, end, SEEK_SET);
    SplitLines(bytes, lines);
}

// One answer a line, as typed.
std::string FedBytes(const std::vector<std::string> &answers) {
    std::string bytes;
    for (size_t i = 0; i < answers.size(); ++i) bytes += answers[i] + "\n";
    return bytes;
}

std::string LastLine(const std::vector<std::string> &lines) {
    for (size_t i = lines.size(); i > 0; --i)
        if (!lines[i - 1].empty()) return lines[i - 1];
    return "";
}

// Success or Failed from the status lines the step printed; for a test that
// prints none, from the result it returned; else "none".
void FindVerdict(const PlanStep &step, bool outOfAnswers, int recorded, StepOutcome &outcome,
                 std::string &failedLine) {
    const std::vector<std::string> &lines = outcome.lines;
    bool success = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (EndsWith(lines[i], "Success!!!")) success = true;
        if (EndsWith(lines[i], "Failed!!!") && failedLine.empty()) failedLine = lines[i];
    }
    outcome.judgedBy = "status line";
    if (!failedLine.empty() || success) {
        outcome.got = failedLine.empty() ? "Success" : "Failed";
    } else if ((step.test->flags & kTestNoStatusLine) && !outOfAnswers && recorded != kNoRecordedResult) {
        outcome.got = recorded == 1 ? "Success" : "Failed";
        outcome.judgedBy = "test result";
    } else {
        outcome.got = "none";
        outcome.judgedBy = "dialogue";
    }
}

// Why the step failed; empty when it passed.
std::string FailureOf(const PlanStep &step, bool outOfAnswers, const ConsoleFeedEnd &feed,
                      const StepOutcome &outcome, const std::string &failedLine) {
    const std::vector<std::string> &lines = outcome.lines;
    std::string expected = step.expectSuccess ? "Success" : "Failed";
    if (outOfAnswers) return "out of answers at \"" + LastLine(lines) + "\"";
    if (feed.unansweredBoxes > 0) return "out of answers at the box \"" + feed.firstUnansweredBox + "\", answered No";
    if (outcome.got == "none") return "no status line; last line \"" + LastLine(lines) + "\"";
    if (outcome.got != expected) {
        if (!failedLine.empty()) return failedLine;
        if (outcome.judgedBy == "test result" && outcome.got == "Failed")
            return "the library refused a call or gave no level (the test prints no status line)";
        return "expected " + expected + ", got " + outcome.got;
    }
    for (size_t c = 0; c < step.contains.size(); ++c) {
        bool found = false;
        for (size_t i = 0; i < lines.size() && !found; ++i) found = lines[i].find(step.contains[c]) != std::string::npos;
        if (!found) return "output lacks \"" + step.contains[c] + "\"";
    }
    if (feed.unreadBytes > 0 && step.expectSuccess) return "the dialogue left answers unread";
    return "";
}

// Runs one repetition of a step from the main menu back to it. Its time
// runs from the end of the step before, so the steps' times add up to the
// run's.
void RunStep(Run &run, const PlanStep &step, StepOutcome &outcome) {
    outcome.testId = step.test->id;
    outcome.group = step.test->group;
    outcome.expectSuccess = step.expectSuccess;
    if (step.pauseMs > 0) PlatformSleep(step.pauseMs);
    if (std::ftell(stdout) > kCaptureLimit) std::fseek(stdout, 0, SEEK_SET);
    long captureStart = std::ftell(stdout);
    const int32_t choices[2] = {step.test->menuItem, step.test->testItem};
    SetPlannedMenuChoices(choices, 2);
    PlatformConsoleFeed(FedBytes(step.answers), EndStepOutOfAnswers, step.spaceAfterMs);
    TakeUnprintedResult();
    bool outOfAnswers = RunMenusUntilBack(run.groups);
    if (outOfAnswers) std::printf("\n");
    SetPlannedMenuChoices(NULL, 0);
    ConsoleFeedEnd feed = PlatformConsoleEndFeed();
    TakeStepLines(captureStart, outcome.lines);
    std::string failedLine;
    FindVerdict(step, outOfAnswers, TakeUnprintedResult(), outcome, failedLine);
    outcome.message = FailureOf(step, outOfAnswers, feed, outcome, failedLine);
    outcome.passed = outcome.message.empty();
    uint32_t now = PlatformMilliseconds();
    outcome.milliseconds = now - run.lastStepEnd;
    run.lastStepEnd = now;
}

std::string Number(size_t value) { return DecimalText(static_cast<int32_t>(value)); }

std::string StepName(const PlanStep &step, int32_t repetition, const Run &run) {
    std::string name = step.name;
    if (step.repeat > 1) name += " [" + Number(static_cast<size_t>(repetition)) + "/" + Number(static_cast<size_t>(step.repeat)) + "]";
    if (run.options.passes > 1) name += " (pass " + Number(static_cast<size_t>(run.pass)) + ")";
    return name;
}

// Names come from the plan and messages from the output: a control
// character in either is shown, never obeyed by the terminal.
void PrintStepLine(Run &run, const StepOutcome &outcome) {
    std::fprintf(run.console, "[%*u/%u] %s (%s) ... %s %s s\n", run.width, static_cast<unsigned>(run.done),
                 static_cast<unsigned>(run.total), PrintableText(outcome.name, kConsoleTextBytes).c_str(),
                 outcome.testId.c_str(), outcome.passed ? "PASS" : "FAIL",
                 SecondsText(outcome.milliseconds).c_str());
    if (!outcome.passed)
        std::fprintf(run.console, "        %s\n", PrintableText(outcome.message, kConsoleTextBytes).c_str());
    std::fflush(run.console);
}

void ReportStep(Run &run, const StepOutcome &outcome) {
    PlatformHoldStopRequests();
    ++run.done;
    if (!outcome.passed) ++run.failures;
    PrintStepLine(run, outcome);
    WriteJsonStep(run.json, outcome);
    WriteJunitCase(run.junit, outcome);
    PlatformReleaseStopRequests();
}

void ReportSkipped(Run &run, const PlanStep &step, const std::string &name) {
    PlatformHoldStopRequests();
    ++run.skipped;
    WriteJunitSkipped(run.junit, name, step.test->group, "not run: the run stopped at its first failure");
    PlatformReleaseStopRequests();
}

void RunPlannedStep(const PlanStep &step, void *context) {
    Run &run = *static_cast<Run *>(context);
    StepOutcome outcome;
    for (int32_t repetition = 1; repetition <= step.repeat; ++repetition) {
        outcome.name = StepName(step, repetition, run);
        if (run.stopped) {
            ReportSkipped(run, step, outcome.name);
            continue;
        }
        RunStep(run, step, outcome);
        ReportStep(run, outcome);
        run.stopped = !outcome.passed && run.options.stopOnFailure;
    }
}

// More step runs than this (a plan of many repeated steps, repeated) are
// refused: the counts are printed as unsigned numbers, 32 bits on the board.
const size_t kMaxStepRuns = 2000000000u;

void CountStepRuns(const PlanStep &step, void *context) {
    size_t &runs = *static_cast<size_t *>(context);
    runs = runs > kMaxStepRuns ? runs : runs + static_cast<size_t>(step.repeat);
}

int Digits(size_t value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

std::string BaseName(const std::string &path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool CannotStart(const std::string &problem) {
    std::fprintf(stderr, "qzhaltest: %s\n", problem.c_str());
    return false;
}

// Everything the run needs is made before its first step: the JUnit
// report's scratch file beside it (which checks that its folder takes new
// files), the capture in the temporary folder, then the JSON report, which
// empties an earlier one. A run that cannot start leaves nothing changed.
bool StartRun(Run &run) {
    const PlanRunOptions &options = run.options;
    std::string reason;
    if (!options.junitPath.empty() && !OpenJunitReport(run.junit, options.junitPath, BaseName(options.planLabel), reason))
        return CannotStart("cannot write the JUnit report " + options.junitPath + ": " + reason);
    run.console = PlatformOpenConsoleStream();
    if (!run.console) run.console = stderr;
    if (!PlatformCaptureStdout(reason)) {
        AbandonJunitReport(run.junit);
        return CannotStart("cannot capture the dialogue: " + reason);
    }
    if (!options.jsonPath.empty() && !OpenJsonReport(run.json, options.jsonPath, reason)) {
        PlatformEndCapture();
        AbandonJunitReport(run.junit);
        return CannotStart("cannot write the JSON report " + options.jsonPath + ": " + reason);
    }
    return true;
}

void PrintSummary(const Run &run, const RunTotals &totals) {
    std::fprintf(run.console, "%u passed, %u failed", static_cast<unsigned>(totals.steps - totals.failures),
                 static_cast<unsigned>(totals.failures));
    if (totals.notRun > 0)
        std::fprintf(run.console, ", %u not run (%s%s)", static_cast<unsigned>(totals.notRun),
                     totals.stoppedBy ? "stopped by " : "stopped at the first failure",
                     totals.stoppedBy ? totals.stoppedBy : "");
    std::fprintf(run.console, " in %s s\n", SecondsText(totals.milliseconds).c_str());
    std::fflush(run.console);
}

// Closes the reports and returns the exit code; called holding the stop
// requests, once.
int FinishRun(Run &run, const char *stoppedBy) {
    run.finished = true;
    RunTotals totals;
    totals.steps = run.done;
    totals.failures = run.failures;
    totals.skipped = run.skipped;
    totals.notRun = run.total - run.done;
    totals.milliseconds = PlatformMilliseconds() - run.start;
    totals.stoppedBy = stoppedBy;
    PlatformEndCapture();
    bool jsonWritten = CloseJsonReport(run.json, totals);
    std::string reason;
    bool junitWritten = run.options.junitPath.empty() || CloseJunitReport(run.junit, totals, reason);
    PrintSummary(run, totals);
    if (!jsonWritten) std::fprintf(stderr, "qzhaltest: cannot write the JSON report %s\n", run.options.jsonPath.c_str());
    if (!junitWritten)
        std::fprintf(stderr, "qzhaltest: cannot write the JUnit report %s: %s\n", run.options.junitPath.c_str(),
                     reason.c_str());
    if (run.done == 0 && !stoppedBy) std::fprintf(stderr, "qzhaltest: no step ran\n");
    if (!jsonWritten || !junitWritten || run.failures > 0 || run.done == 0) return kPlanFailed;
    return kPlanPassed;
}

// A stop request (Ctrl-C, SIGTERM): the reports get what ran and the
// summary says why the rest did not.
void StopOnRequest(int signalNumber) {
    Run *run = g_stoppable;
    if (!run || run->finished) return;
    FinishRun(*run, PlatformSignalName(signalNumber));
    PlatformExitProcess(static_cast<uint32_t>(kPlanStoppedBase + signalNumber));
}

}  // namespace

int RunPlan(const PlanRunOptions &options) {
    Run run;
    run.options = options;
    run.done = run.failures = run.skipped = 0;
    run.stopped = run.finished = false;
    run.json.file = NULL;
    run.junit.cases = NULL;
    size_t perPass = 0;
    PlanMistakes mistakes;
    ReadPlan(options.planLabel, options.planText, CountStepRuns, &perPass, mistakes);
    if (perPass > kMaxStepRuns / static_cast<size_t>(options.passes)) {
        std::fprintf(stderr, "qzhaltest: the plan would run more than %u steps\n",
                     static_cast<unsigned>(kMaxStepRuns));
        return kPlanUsageError;
    }
    run.total = perPass * static_cast<size_t>(options.passes);
    run.width = Digits(run.total);
    if (!PlatformInitApplication()) {
        std::fprintf(stderr, "qzhaltest: Fatal Error: MFC initialization failed\n");
        return kPlanFailed;
    }
    if (!StartRun(run)) return kPlanUsageError;
    run.start = run.lastStepEnd = PlatformMilliseconds();
    g_stoppable = &run;
    PlatformCatchStopRequests(StopOnRequest);
    // After a failure with --stop-on-failure, the rest of the plan is only
    // walked through to list its steps in the JUnit report.
    for (run.pass = 1; run.pass <= options.passes && !(run.stopped && options.junitPath.empty()); ++run.pass)
        ReadPlan(options.planLabel, options.planText, RunPlannedStep, &run, mistakes);
    PlatformHoldStopRequests();
    int code = FinishRun(run, NULL);
    PlatformReleaseStopRequests();
    return code;
}
