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

// Called with each step of a plan that holds no mistake.
typedef void (*PlanStepVisitor)(const PlanStep &step, void *context);

// Reads the plan at path step by step, keeping only the step at hand, and
// hands each step without mistakes to visit (when not NULL), so that a plan
// of any length takes the same memory. Every mistake is added to errors as
// "FILE:LINE: message", in the order of the lines; a plan is to be run only
// when it has none.
void ReadPlan(const std::string &path, PlanStepVisitor visit, void *context, std::vector<std::string> &errors);

// A whole decimal number of at most nine digits within [low, high], as the
// plan's counts and --repeat take it; false, value untouched, otherwise.
bool ParseWholeNumber(const std::string &text, int32_t low, int32_t high, int32_t &value);

// Splits an answers value at commas outside double quotes; false with a
// message on a quote that is not closed or text after a closing quote.
bool SplitAnswers(const std::string &value, std::vector<std::string> &answers, std::string &message);

#endif
