// A test plan: the file a technician writes, read and checked as a whole.
#ifndef PLAN_PLAN_FILE_H
#define PLAN_PLAN_FILE_H

#include <cstddef>
#include <string>
#include <vector>

#include "../hal/fixed_width_types.h"
#include "test_table.h"

struct PlanStep {
    std::string name;
    size_t line;                        // of the step's [name]
    const TestInfo *test;
    std::vector<std::string> answers;   // in dialogue order
    bool expectSuccess;
    std::vector<std::string> contains;  // texts the step's output must hold
    int32_t repeat;
    uint32_t spaceAfterMs;              // before the plan presses Space
};

struct Plan {
    std::string path;
    std::vector<PlanStep> steps;
};

// Reads the plan at path. Every mistake is added to errors as
// "FILE:LINE: message"; the plan is usable only when there are none.
void ReadPlan(const std::string &path, Plan &plan, std::vector<std::string> &errors);

// Splits an answers value at commas outside double quotes; false with a
// message on a quote that is not closed or text after a closing quote.
bool SplitAnswers(const std::string &value, std::vector<std::string> &answers, std::string &message);

#endif
