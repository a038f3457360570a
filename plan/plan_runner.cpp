#include "plan_runner.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "../platform/console.h"
#include "../platform/plan_io.h"
#include "../platform/system.h"
#include "../shell/dialogue.h"
#include "../shell/main_menu.h"
#include "reports.h"

namespace {

// The capture file is emptied at a step's start once it holds this much, so
// that a long run does not fill the disk.
const long kCaptureLimit = 1L << 20;

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

// The dialogue's standard output goes into one file for the whole run; each
// step's part of it is read back through a second stream.
struct Capture {
    std::string path;
    std::FILE *reader;
    long end;  // where the next step's output begins
};

struct Run {
    PlanRunOptions options;
    int32_t pass;
    std::FILE *console;
    size_t done;
    size_t total;
    size_t failures;
    int width;  // digits of total
    bool stopped;
    Capture capture;
    JsonReport json;
    JunitReport junit;
    TestGroups groups;
};

bool EndsWith(const std::string &text, const char *end) {
    std::string tail(end);
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool StartCapture(Capture &capture) {
    if (!PlatformCaptureStdout(capture.path)) return false;
    if (capture.reader) std::fclose(capture.reader);
    capture.reader = std::fopen(capture.path.c_str(), "rb");
    capture.end = 0;
    return capture.reader != NULL;
}

// The lines the step printed since the capture's end, line ends removed.
void TakeStepLines(Capture &capture, std::vector<std::string> &lines) {
    std::fflush(stdout);
    lines.clear();
    if (!capture.reader) return;
    std::fseek(capture.reader, capture.end, SEEK_SET);
    std::string line;
    bool open = false;
    for (int c; (c = std::fgetc(capture.reader)) != EOF;) {
        if (c == '\n') {
            if (!line.empty() && line[line.size() - 1] == '\r') line.erase(line.size() - 1);
            lines.push_back(line);
            line.clear();
            open = false;
        } else {
            line += static_cast<char>(c);
            open = true;
        }
    }
    if (open) lines.push_back(line);
    capture.end = std::ftell(capture.reader);
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

// The verdict of a step from what it printed and how its dialogue ended.
void Judge(const PlanStep &step, bool outOfAnswers, const ConsoleFeedEnd &feed, StepOutcome &outcome) {
    const std::vector<std::string> &lines = outcome.lines;
    std::string failedLine;
    bool success = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (EndsWith(lines[i], "Success!!!")) success = true;
        if (EndsWith(lines[i], "Failed!!!") && failedLine.empty()) failedLine = lines[i];
    }
    outcome.got = !failedLine.empty() ? "Failed" : success ? "Success" : "none";
    if (outcome.got == "none" && (step.test->flags & kTestNoStatusLine) && !outOfAnswers) outcome.got = "Success";
    std::string expected = step.expectSuccess ? "Success" : "Failed";
    if (outOfAnswers) {
        outcome.message = "out of answers at \"" + LastLine(lines) + "\"";
    } else if (feed.unansweredBoxes > 0) {
        outcome.message = "out of answers at a Yes/No box, answered No";
    } else if (outcome.got == "none") {
        outcome.message = "no status line; last line \"" + LastLine(lines) + "\"";
    } else if (outcome.got != expected) {
        outcome.message = !failedLine.empty() ? failedLine : "expected " + expected + ", got " + outcome.got;
    } else {
        for (size_t c = 0; c < step.contains.size() && outcome.message.empty(); ++c) {
            bool found = false;
            for (size_t i = 0; i < lines.size() && !found; ++i) found = lines[i].find(step.contains[c]) != std::string::npos;
            if (!found) outcome.message = "output lacks \"" + step.contains[c] + "\"";
        }
    }
    if (outcome.message.empty() && feed.unreadBytes > 0 && step.expectSuccess)
        outcome.message = "the dialogue left answers unread";
    outcome.passed = outcome.message.empty();
}

// Runs one repetition of a step from the main menu back to it.
void RunStep(Run &run, const PlanStep &step, StepOutcome &outcome) {
    outcome.testId = step.test->id;
    outcome.group = step.test->group;
    outcome.expectSuccess = step.expectSuccess;
    if (run.capture.end > kCaptureLimit) StartCapture(run.capture);
    const int32_t choices[2] = {step.test->menuItem, step.test->testItem};
    SetPlannedMenuChoices(choices, 2);
    PlatformConsoleFeed(FedBytes(step.answers), EndStepOutOfAnswers, step.spaceAfterMs);
    uint32_t start = PlatformMilliseconds();
    bool outOfAnswers = RunMenusUntilBack(run.groups);
    outcome.milliseconds = PlatformMilliseconds() - start;
    if (outOfAnswers) std::printf("\n");
    SetPlannedMenuChoices(NULL, 0);
    ConsoleFeedEnd feed = PlatformConsoleEndFeed();
    TakeStepLines(run.capture, outcome.lines);
    Judge(step, outOfAnswers, feed, outcome);
}

std::string Number(size_t value) { return DecimalText(static_cast<int32_t>(value)); }

std::string StepName(const PlanStep &step, int32_t repetition, const Run &run) {
    std::string name = step.name;
    if (step.repeat > 1) name += " [" + Number(static_cast<size_t>(repetition)) + "/" + Number(static_cast<size_t>(step.repeat)) + "]";
    if (run.options.passes > 1) name += " (pass " + Number(static_cast<size_t>(run.pass)) + ")";
    return name;
}

void PrintStepLine(Run &run, const StepOutcome &outcome) {
    std::fprintf(run.console, "[%*u/%u] %s (%s) ... %s %s s\n", run.width, static_cast<unsigned>(run.done),
                 static_cast<unsigned>(run.total), outcome.name.c_str(), outcome.testId.c_str(),
                 outcome.passed ? "PASS" : "FAIL", SecondsText(outcome.milliseconds).c_str());
    if (!outcome.passed) std::fprintf(run.console, "        %s\n", outcome.message.c_str());
    std::fflush(run.console);
}

void RunPlannedStep(const PlanStep &step, void *context) {
    Run &run = *static_cast<Run *>(context);
    StepOutcome outcome;
    for (int32_t repetition = 1; repetition <= step.repeat && !run.stopped; ++repetition) {
        outcome.name = StepName(step, repetition, run);
        outcome.message.clear();
        RunStep(run, step, outcome);
        ++run.done;
        if (!outcome.passed) ++run.failures;
        PrintStepLine(run, outcome);
        WriteJsonStep(run.json, outcome);
        WriteJunitCase(run.junit, outcome);
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

// The JUnit report first: its check creates only a scratch file, while
// opening the JSON report empties an earlier one.
bool OpenReports(Run &run) {
    const PlanRunOptions &options = run.options;
    if (!options.junitPath.empty() && !OpenJunitReport(run.junit, options.junitPath, BaseName(options.planPath))) {
        std::fprintf(stderr, "qzhaltest: cannot write %s\n", options.junitPath.c_str());
        return false;
    }
    if (!options.jsonPath.empty() && !OpenJsonReport(run.json, options.jsonPath)) {
        std::fprintf(stderr, "qzhaltest: cannot write %s\n", options.jsonPath.c_str());
        AbandonJunitReport(run.junit);
        return false;
    }
    return true;
}

// For a run that cannot start: no report is left half made.
int EndBeforeTheFirstStep(Run &run) {
    AbandonJunitReport(run.junit);
    if (run.json.file) std::fclose(run.json.file);
    if (!run.options.jsonPath.empty()) PlatformRemoveFile(run.options.jsonPath);
    return kPlanFailed;
}

}  // namespace

int RunPlan(const PlanRunOptions &options) {
    Run run;
    run.options = options;
    run.done = run.failures = 0;
    run.stopped = false;
    run.json.file = NULL;
    run.junit.cases = NULL;
    run.capture.reader = NULL;
    size_t perPass = 0;
    std::vector<std::string> errors;
    ReadPlan(options.planPath, CountStepRuns, &perPass, errors);
    if (perPass > kMaxStepRuns / static_cast<size_t>(options.passes)) {
        std::fprintf(stderr, "qzhaltest: the plan would run more than %u steps\n",
                     static_cast<unsigned>(kMaxStepRuns));
        return kPlanUsageError;
    }
    run.total = perPass * static_cast<size_t>(options.passes);
    run.width = Digits(run.total);
    if (!OpenReports(run)) return kPlanUsageError;
    if (!PlatformInitApplication()) {
        std::fprintf(stderr, "qzhaltest: Fatal Error: MFC initialization failed\n");
        return EndBeforeTheFirstStep(run);
    }
    run.console = PlatformOpenConsoleStream();
    if (!run.console) run.console = stderr;
    run.capture.path = PlatformTempFilePath("qzhaltest-steps");
    if (!StartCapture(run.capture)) {
        std::fprintf(run.console, "qzhaltest: cannot capture the dialogue in %s\n", run.capture.path.c_str());
        PlatformRemoveFile(run.capture.path);
        return EndBeforeTheFirstStep(run);
    }
    uint32_t start = PlatformMilliseconds();
    for (run.pass = 1; run.pass <= options.passes && !run.stopped; ++run.pass)
        ReadPlan(options.planPath, RunPlannedStep, &run, errors);
    uint32_t milliseconds = PlatformMilliseconds() - start;
    std::fclose(run.capture.reader);
    PlatformRemoveFile(run.capture.path);
    CloseJsonReport(run.json, run.done, run.failures, milliseconds);
    bool junitWritten = options.junitPath.empty() || CloseJunitReport(run.junit, run.done, run.failures, milliseconds);
    std::fprintf(run.console, "%u passed, %u failed", static_cast<unsigned>(run.done - run.failures),
                 static_cast<unsigned>(run.failures));
    if (run.done < run.total)
        std::fprintf(run.console, ", %u not run (stopped at the first failure)",
                     static_cast<unsigned>(run.total - run.done));
    std::fprintf(run.console, " in %s s\n", SecondsText(milliseconds).c_str());
    if (!junitWritten) std::fprintf(run.console, "qzhaltest: cannot write %s\n", options.junitPath.c_str());
    std::fflush(run.console);
    return run.failures == 0 && junitWritten ? kPlanPassed : kPlanFailed;
}
