// The reports of a plan run: JSON Lines, one object per step written and
// flushed as the step ends, and JUnit XML, whose test cases go to a scratch
// file as the steps end and which is written whole at the end through a
// temporary file. Neither keeps more than the step at hand in memory.
#ifndef PLAN_REPORTS_H
#define PLAN_REPORTS_H

#include <cstdio>
#include <string>
#include <vector>

#include "../hal/fixed_width_types.h"

// What one run of a step came to.
struct StepOutcome {
    std::string name;      // the step's name, with its repetition when repeated
    std::string testId;
    std::string group;
    bool expectSuccess;
    std::string got;       // "Success", "Failed", or "none" when there is no verdict
    std::string judgedBy;  // "status line", "test result" (a test that prints none) or "dialogue"
    bool passed;
    uint32_t milliseconds; // the step's whole wall time
    std::string message;   // why it failed; empty when it passed
    std::vector<std::string> lines;  // what the step printed: one step's, never the run's
};

// How a run ended, for the reports' summaries.
struct RunTotals {
    size_t steps;       // step runs that ran to their verdict
    size_t failures;
    size_t skipped;     // listed as skipped test cases (--stop-on-failure)
    size_t notRun;      // left out by --stop-on-failure, or by a stop request
    uint32_t milliseconds;
    const char *stoppedBy;  // the stop request's signal, NULL when none came
};

struct JsonReport {
    std::FILE *file;
};

// Opens (empties) the report; false with the reason.
bool OpenJsonReport(JsonReport &report, const std::string &path, std::string &reason);
void WriteJsonStep(JsonReport &report, const StepOutcome &step);
// Writes the summary line and closes the report; false when anything could
// not be written.
bool CloseJsonReport(JsonReport &report, const RunTotals &totals);

struct JunitReport {
    std::string path;
    std::FILE *cases;  // the test cases so far, before the suite's counts are known
    std::string casesPath;  // where the system keeps a name for it, else empty
    std::string suiteName;
    std::string timestamp;
};

// Makes the scratch file for the test cases beside the report; false with
// the reason (the report's folder takes no new file).
bool OpenJunitReport(JunitReport &report, const std::string &path, const std::string &suiteName, std::string &reason);
void WriteJunitCase(JunitReport &report, const StepOutcome &step);
// A step that did not run, as a skipped test case.
void WriteJunitSkipped(JunitReport &report, const std::string &name, const std::string &group,
                       const std::string &why);
// Writes the whole report into a new scratch file beside its path and
// renames that into place; false with the reason.
bool CloseJunitReport(JunitReport &report, const RunTotals &totals, std::string &reason);
// Removes the test cases so far, for a run that ends before its first step:
// the report's path is left as it was.
void AbandonJunitReport(JunitReport &report);

#endif
