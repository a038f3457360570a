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
    uint32_t pauseMs;                   // before each run of the step
};

// Called with each step of a plan that holds no mistake.
typedef void (*PlanStepVisitor)(const PlanStep &step, void *context);

// The mistakes of a plan: the first few in the order of the lines, each as
// "FILE:LINE: message", and how many there are in all.
struct PlanMistakes {
    std::vector<std::string> first;
    size_t count;
};

// At most this many mistakes are told; the rest are counted.
const size_t kMistakesTold = 20;

// Reads the plan `text` (the whole file, read once) step by step, and hands
// each step without mistakes to visit (when not NULL), keeping only the
// step at hand; `label` names the file in the messages. A plan is to be run
// only when it has no mistake.
void ReadPlan(const std::string &label, const std::string &text, PlanStepVisitor visit, void *context,
              PlanMistakes &mistakes);

// A whole decimal number of at most nine digits within [low, high], as the
// plan's counts and --repeat take it; false, value untouched, otherwise.
bool ParseWholeNumber(const std::string &text, int32_t low, int32_t high, int32_t &value);

// Splits an answers value at commas outside double quotes; false with a
// message on a quote that is not closed or text after a closing quote.
bool SplitAnswers(const std::string &value, std::vector<std::string> &answers, std::string &message);

#endif
