#include "plan_runner.h"

#include <csetjmp>
#include <cstdio>

#include "../platform/console.h"
#include "../platform/plan_io.h"
#include "../platform/system.h"
#include "../shell/dialogue.h"
#include "../shell/main_menu.h"
#include "reports.h"

namespace {

// Where a step whose answers ran out leaves the dialogue. Only the console
// thread reads input, and it jumps back out of the dialogue's own frames,
// which hold nothing but the menus' typed values.
std::jmp_buf g_stepEnd;

void EndStepOutOfAnswers() { std::longjmp(g_stepEnd, 1); }

// One pass of the main menu with the fed answers; true when they ran out.
bool RunMenusUntilBack(TestGroups &groups) {
    if (setjmp(g_stepEnd) != 0) return true;
    RunMainMenuPass(groups);
    return false;
}

struct Progress {
    std::FILE *console;
    size_t done;
    size_t total;
    size_t failures;
    int width;  // digits of total
};

// What the captured output of a step says.
struct OutputScan {
    bool success;         // a line ending in "Success!!!"
    bool failed;          // a line ending in "Failed!!!"
    std::string failedLine;
    std::string lastLine;  // the prompt, when the step stopped at one
    std::vector<bool> found;  // per contains text
};

bool EndsWith(const std::string &text, const char *end) {
    std::string tail(end);
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

OutputScan ScanOutput(const std::string &path, const std::vector<std::string> &contains) {
    OutputScan scan;
    scan.success = scan.failed = false;
    scan.found.assign(contains.size(), false);
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) return scan;
    std::string line;
    int c;
    do {
        c = std::fgetc(file);
        if (c != EOF && c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        if (!line.empty() && line[line.size() - 1] == '\r') line.erase(line.size() - 1);
        if (EndsWith(line, "Success!!!")) scan.success = true;
        if (EndsWith(line, "Failed!!!") && !scan.failed) {
            scan.failed = true;
            scan.failedLine = line;
        }
        for (size_t i = 0; i < contains.size(); ++i)
            if (!scan.found[i] && line.find(contains[i]) != std::string::npos) scan.found[i] = true;
        if (!line.empty()) scan.lastLine = line;
        line.clear();
    } while (c != EOF);
    std::fclose(file);
    return scan;
}

std::string Number(size_t value) { return DecimalText(static_cast<int32_t>(value)); }

// One answer a line, as typed.
std::string FedBytes(const std::vector<std::string> &answers) {
    std::string bytes;
    for (size_t i = 0; i < answers.size(); ++i) bytes += answers[i] + "\n";
    return bytes;
}

// The verdict of a step from what it printed and how its dialogue ended.
void Judge(const PlanStep &step, const OutputScan &scan, bool outOfAnswers, const ConsoleFeedEnd &feed,
           StepOutcome &outcome) {
    outcome.got = scan.failed ? "Failed" : scan.success ? "Success" : "none";
    if (outcome.got == "none" && (step.test->flags & kTestNoStatusLine) && !outOfAnswers) outcome.got = "Success";
    std::string expected = step.expectSuccess ? "Success" : "Failed";
    if (outOfAnswers) {
        outcome.message = "out of answers at \"" + scan.lastLine + "\"";
    } else if (feed.unansweredBoxes > 0) {
        outcome.message = "out of answers at a Yes/No box, answered No";
    } else if (outcome.got == "none") {
        outcome.message = "no status line; last line \"" + scan.lastLine + "\"";
    } else if (outcome.got != expected) {
        outcome.message = scan.failed ? scan.failedLine : "expected " + expected + ", got " + outcome.got;
    } else {
        for (size_t i = 0; i < step.contains.size() && outcome.message.empty(); ++i)
            if (!scan.found[i]) outcome.message = "output lacks \"" + step.contains[i] + "\"";
    }
    if (outcome.message.empty() && feed.unreadBytes > 0 && step.expectSuccess)
        outcome.message = "the dialogue left answers unread";
    outcome.passed = outcome.message.empty();
}

// Runs one repetition of a step from the main menu back to it.
StepOutcome RunStep(TestGroups &groups, const PlanStep &step, const std::string &name,
                    const std::string &capturePath) {
    StepOutcome outcome;
    outcome.name = name;
    outcome.testId = step.test->id;
    outcome.group = step.test->group;
    outcome.expectSuccess = step.expectSuccess;
    outcome.outputPath = capturePath;
    PlatformCaptureStdout(capturePath);
    const int32_t choices[2] = {step.test->menuItem, step.test->testItem};
    SetPlannedMenuChoices(choices, 2);
    PlatformConsoleFeed(FedBytes(step.answers), EndStepOutOfAnswers, step.spaceAfterMs);
    uint32_t start = PlatformMilliseconds();
    bool outOfAnswers = RunMenusUntilBack(groups);
    outcome.milliseconds = PlatformMilliseconds() - start;
    if (outOfAnswers) std::printf("\n");
    std::fflush(stdout);
    SetPlannedMenuChoices(NULL, 0);
    ConsoleFeedEnd feed = PlatformConsoleEndFeed();
    Judge(step, ScanOutput(capturePath, step.contains), outOfAnswers, feed, outcome);
    return outcome;
}

void PrintStepLine(Progress &progress, const StepOutcome &outcome) {
    std::fprintf(progress.console, "[%*u/%u] %s (%s) ... %s %s s\n", progress.width,
                 static_cast<unsigned>(progress.done), static_cast<unsigned>(progress.total), outcome.name.c_str(),
                 outcome.testId.c_str(), outcome.passed ? "PASS" : "FAIL", SecondsText(outcome.milliseconds).c_str());
    if (!outcome.passed) std::fprintf(progress.console, "        %s\n", outcome.message.c_str());
    std::fflush(progress.console);
}

std::string StepName(const PlanStep &step, int32_t repetition, int32_t pass, const PlanRunOptions &options) {
    std::string name = step.name;
    if (step.repeat > 1) name += " [" + Number(static_cast<size_t>(repetition)) + "/" + Number(static_cast<size_t>(step.repeat)) + "]";
    if (options.passes > 1) name += " (pass " + Number(static_cast<size_t>(pass)) + ")";
    return name;
}

size_t StepRuns(const Plan &plan, const PlanRunOptions &options) {
    size_t runs = 0;
    for (size_t i = 0; i < plan.steps.size(); ++i) runs += static_cast<size_t>(plan.steps[i].repeat);
    return runs * static_cast<size_t>(options.passes);
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

}  // namespace

int RunPlan(const Plan &plan, const PlanRunOptions &options) {
    Progress progress;
    progress.console = PlatformOpenConsoleStream();
    if (!progress.console) progress.console = stderr;
    progress.done = 0;
    progress.total = StepRuns(plan, options);
    progress.failures = 0;
    progress.width = Digits(progress.total);

    JsonReport json = {NULL};
    if (!options.jsonPath.empty() && !OpenJsonReport(json, options.jsonPath)) {
        std::fprintf(stderr, "qzhaltest: cannot write %s\n", options.jsonPath.c_str());
        return kPlanUsageError;
    }
    JunitReport junit;
    junit.cases = NULL;
    if (!options.junitPath.empty() && !OpenJunitReport(junit, options.junitPath, BaseName(plan.path))) {
        std::fprintf(stderr, "qzhaltest: cannot write %s\n", options.junitPath.c_str());
        return kPlanUsageError;
    }
    if (!PlatformInitApplication()) {
        std::fprintf(stderr, "qzhaltest: Fatal Error: MFC initialization failed\n");
        return kPlanFailed;
    }
    std::string capturePath = PlatformTempFilePath("qzhaltest-step");
    TestGroups groups;
    uint32_t start = PlatformMilliseconds();
    bool stopped = false;
    for (int32_t pass = 1; pass <= options.passes && !stopped; ++pass) {
        for (size_t s = 0; s < plan.steps.size() && !stopped; ++s) {
            const PlanStep &step = plan.steps[s];
            for (int32_t repetition = 1; repetition <= step.repeat && !stopped; ++repetition) {
                StepOutcome outcome = RunStep(groups, step, StepName(step, repetition, pass, options), capturePath);
                ++progress.done;
                if (!outcome.passed) ++progress.failures;
                PrintStepLine(progress, outcome);
                WriteJsonStep(json, outcome);
                WriteJunitCase(junit, outcome);
                stopped = !outcome.passed && options.stopOnFailure;
            }
        }
    }
    uint32_t milliseconds = PlatformMilliseconds() - start;
    PlatformRemoveFile(capturePath);
    CloseJsonReport(json, progress.done, progress.failures, milliseconds);
    bool junitWritten = options.junitPath.empty() || CloseJunitReport(junit, progress.done, progress.failures, milliseconds);
    std::fprintf(progress.console, "%u passed, %u failed", static_cast<unsigned>(progress.done - progress.failures),
                 static_cast<unsigned>(progress.failures));
    if (progress.done < progress.total)
        std::fprintf(progress.console, ", %u not run (stopped at the first failure)",
                     static_cast<unsigned>(progress.total - progress.done));
    std::fprintf(progress.console, " in %s s\n", SecondsText(milliseconds).c_str());
    if (!junitWritten) std::fprintf(progress.console, "qzhaltest: cannot write %s\n", options.junitPath.c_str());
    std::fflush(progress.console);
    return progress.failures == 0 && junitWritten ? kPlanPassed : kPlanFailed;
}
