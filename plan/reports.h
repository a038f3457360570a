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
    std::string got;       // "Success", "Failed", or "none" when no status was printed
    bool passed;
    uint32_t milliseconds;
    std::string message;   // why it failed; empty when it passed
    std::vector<std::string> lines;  // what the step printed: one step's, never the run's
};

struct JsonReport {
    std::FILE *file;
};

bool OpenJsonReport(JsonReport &report, const std::string &path);
void WriteJsonStep(JsonReport &report, const StepOutcome &step);
void CloseJsonReport(JsonReport &report, size_t steps, size_t failures, uint32_t milliseconds);

struct JunitReport {
    std::string path;
    std::string casesPath;  // the test cases so far, before the suite's counts are known
    std::FILE *cases;
    std::string suiteName;
    std::string timestamp;
};

bool OpenJunitReport(JunitReport &report, const std::string &path, const std::string &suiteName);
void WriteJunitCase(JunitReport &report, const StepOutcome &step);
// Writes the whole file beside the report's path and renames it into place.
bool CloseJunitReport(JunitReport &report, size_t steps, size_t failures, uint32_t milliseconds);
// Removes the test cases so far, for a run that ends before its first step:
// the report's path is left as it was.
void AbandonJunitReport(JunitReport &report);

// Text made valid UTF-8: a byte that begins no valid sequence becomes U+FFFD.
std::string ValidUtf8(const std::string &text);
// A JSON string literal, quotes included.
std::string JsonString(const std::string &text);
// Text for XML content and attribute values: & < > " ' escaped, control
// characters that XML 1.0 cannot hold replaced by U+FFFD.
std::string XmlText(const std::string &text);

// "0.020": milliseconds as seconds with three decimals.
std::string SecondsText(uint32_t milliseconds);

#endif
