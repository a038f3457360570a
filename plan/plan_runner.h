// Runs a checked plan: each step drives the same dialogue a technician
// would, from the main menu back to the main menu, with the plan's answers.
#ifndef PLAN_PLAN_RUNNER_H
#define PLAN_PLAN_RUNNER_H

#include <string>

#include "../hal/fixed_width_types.h"
#include "plan_file.h"

struct PlanRunOptions {
    std::string planLabel;  // the plan's path, as messages and the JUnit suite name it
    std::string planText;   // the whole plan, in which ReadPlan found no mistake
    std::string junitPath;  // empty: no JUnit report
    std::string jsonPath;   // empty: no JSON Lines report
    int32_t passes;         // --repeat: the whole plan this many times
    bool stopOnFailure;
};

// Exit codes of a plan run; a stop request ends it with 128 + the signal's
// number (130 for SIGINT, 143 for SIGTERM).
const int kPlanPassed = 0;
const int kPlanFailed = 1;  // a step failed, or a report could not be written at the end
const int kPlanUsageError = 2;  // the command line, the plan, or what the run needs before its first step
const int kPlanStoppedBase = 128;

// Runs every step, prints one line per step and a summary on the console,
// writes the reports; kPlanPassed when every step passed.
int RunPlan(const PlanRunOptions &options);

#endif
