// The table of every test the menus offer: its id, its menu path, its title
// and the prompts it asks in order. --list prints it and the plan reader
// checks a step's answers against it.
#ifndef PLAN_TEST_TABLE_H
#define PLAN_TEST_TABLE_H

#include <cstddef>
#include <string>

#include "../hal/fixed_width_types.h"

// How the dialogue reads the answer to a prompt.
enum AnswerKind {
    kAnswerDecimal,          // signed 32-bit decimal number
    kAnswerDecimalUnsigned,  // unsigned 32-bit decimal number
    kAnswerHex,              // signed 32-bit hexadecimal number, 0x optional
    kAnswerHexUnsigned,      // unsigned 32-bit hexadecimal number, 0x optional
    kAnswerWord,             // one word without blanks
    kAnswerYesNo             // a Yes/No box: y, yes, n or no
};

// How often a prompt is asked.
enum PromptCount {
    kAskedOnce,
    kAskedPerDataWord,  // once per 32 bits of the bit count answered at countFrom (none above 128)
    kAskedPerByte,      // as often as the byte count answered at countFrom (none above 2)
    kAskedUntilNo       // again after every Yes
};

struct TestPrompt {
    const char *text;
    const char *textEnd;  // for prompts that number their answers: text, the number, textEnd
    AnswerKind kind;
    PromptCount count;
    size_t countFrom;  // index of the answer that gives the count
};

// Tests whose dialogue does what the flags say.
const unsigned kTestWaitsForSpace = 1;  // polls the Space key
const unsigned kTestNoStatusLine = 2;   // prints no Success/Failed line

struct TestInfo {
    const char *id;     // group.name, e.g. "i2c.write-flash"
    const char *group;  // the group's id, e.g. "i2c"
    int32_t menuItem;   // item of the main menu
    int32_t testItem;   // item of the group's menu
    const char *title;
    const TestPrompt *prompts;
    size_t promptCount;
    unsigned flags;
    const char *note;  // what else the dialogue does, or NULL
    // The result lines a plan's `contains` can match, one per line of the
    // text: <...> stands for a value, {A|B} for one of the words; NULL: none.
    const char *results;
};

size_t TestCount();
const TestInfo &TestAt(size_t index);

// By id ("i2c.write-flash") or menu path ("4.3"); NULL when none.
const TestInfo *FindTest(const std::string &name);

// "4.3".
std::string MenuPath(const TestInfo &test);

// What the answer kind takes, for --list and messages: "decimal", ...
const char *AnswerKindText(AnswerKind kind);

// Whether text is an answer of that kind the dialogue reads whole.
bool AnswerFits(AnswerKind kind, const std::string &text);

// The number an answer of a number kind reads as (0 for other kinds).
int32_t AnswerNumber(AnswerKind kind, const std::string &text);

// How often the prompt is asked given the answers read before it.
int32_t PromptTimes(const TestPrompt &prompt, int32_t countAnswer);

// Prints every test, one block each (--list).
void PrintTestList();

#endif
