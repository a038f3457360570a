// Runs a checked plan: each step drives the same dialogue a technician
// would, from the main menu back to the main menu, with the plan's answers.
#ifndef PLAN_PLAN_RUNNER_H
#define PLAN_PLAN_RUNNER_H

#include <string>

#include "../hal/fixed_width_types.h"
#include "plan_file.h"

struct PlanRunOptions {
    std::string planPath;   // a plan ReadPlan found no mistake in
    std::string junitPath;  // empty: no JUnit report
    std::string jsonPath;   // empty: no JSON Lines report
    int32_t passes;         // --repeat: the whole plan this many times
    bool stopOnFailure;
};

// Exit codes of a plan run.
const int kPlanPassed = 0;
const int kPlanFailed = 1;
const int kPlanUsageError = 2;

// Runs every step, prints one line per step and a summary on the console,
// writes the reports; kPlanPassed when every step passed. The plan is read
// again for each pass, step by step.
int RunPlan(const PlanRunOptions &options);

#endif
