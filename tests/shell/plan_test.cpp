// The command line and unattended plan runs, run as a CI job would run them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "program_run.h"

namespace {

// Plans and reports are written in the working directory under relative
// names, which every build's program (Wine's too) opens alike.
void WriteFile(const std::string &path, const std::string &text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
}

std::string ReadFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

RunResult RunWithArguments(const std::vector<std::string> &arguments) {
    RunOptions options;
    options.arguments = arguments;
    return RunProgram(options);
}

// The runner's console lines: on the standard output, or on the standard
// error where the C runtime cannot keep a copy of the output (CE).
std::string Console(const RunResult &run) { return run.output + run.errors; }

bool Holds(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

TEST(CommandLine, MistakesNameTheProblemAndShowTheUsageWithExitCodeTwo) {
    const std::vector<std::vector<std::string>> mistakes = {
        {"--colour"}, {"--plan"}, {"--repeat", "x", "--plan", "p"}, {"--junit", "r.xml"}, {"--list", "--version"},
        {"--terminal", "--list"}};
    const std::vector<std::string> problems = {"unknown option '--colour'", "--plan needs a file name",
                                               "--repeat needs a whole number", "need --plan", "go alone",
                                               "--terminal goes alone or with --version"};
    for (size_t i = 0; i < mistakes.size(); ++i) {
        RunResult run = RunWithArguments(mistakes[i]);
        EXPECT_EQ(run.exitCode, 2) << problems[i];
        EXPECT_TRUE(Holds(run.errors, problems[i])) << run.errors;
        EXPECT_TRUE(Holds(run.errors, "\nusage: qzhaltest")) << run.errors;
        EXPECT_EQ(run.output, "");
        EXPECT_TRUE(run.trace.empty());
    }
}

TEST(CommandLine, ListGivesEveryTestWithoutCallingTheLibrary) {
    RunResult run = RunWithArguments({"--list"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(Holds(run.output, "i2c.write-flash (menu 4.3)\n  I2C Write Flash Test\n"
                                  "   1. \"Enter I2C Device Number (0,1): \"\n"));
    EXPECT_TRUE(Holds(run.output, "can.async (menu 10.7)"));
    EXPECT_TRUE(run.trace.empty());
}

TEST(Plan, MistakesAreAllToldByLineAndNothingRuns) {
    WriteFile("plan_mistakes.plan",
              "# steps with mistakes\n"
              "[write]\n"
              "test = i2c.write\n"
              "answers = 0, 0, zz, 0\n"
              "colour = red\n"
              "[too many]\n"
              "test = 7.1\n"
              "answers = 1\n"
              "[what]\n"
              "test = i2c.nothing\n"
              "repeat = 0\n");
    RunResult run = RunWithArguments({"--plan", "plan_mistakes.plan", "--junit", "plan_mistakes.xml"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors,
              "plan_mistakes.plan:4: answer 3 \"zz\" of i2c.write must be an unsigned hexadecimal number at "
              "\"Enter I2C Device Address (e.g. 50 = 0x50): \"\n"
              "plan_mistakes.plan:5: unknown key \"colour\" (keys: test, answers, expect, contains, repeat, space)\n"
              "plan_mistakes.plan:8: version.library asks for 0 answers with these values, the step gives 1\n"
              "plan_mistakes.plan:10: unknown test \"i2c.nothing\" (qzhaltest --list shows them)\n"
              "plan_mistakes.plan:11: repeat must be a whole number from 1 to 1000000, not \"0\"\n"
              "qzhaltest: 5 mistakes in the plan; nothing was run\n");
    EXPECT_EQ(run.output, "");
    EXPECT_TRUE(run.trace.empty());
    EXPECT_EQ(ReadFile("plan_mistakes.xml"), "");
}

TEST(Plan, SamplePlanForTheSimulatedBoardPasses) {
    RunResult run = RunWithArguments(
        {"--plan", "simulated-board.plan", "--junit", "sample_plan.xml", "--json", "sample_plan.jsonl"});
    EXPECT_EQ(run.exitCode, 0) << Console(run);
    EXPECT_TRUE(Holds(Console(run), "[ 1/35] backlight to half (backlight.brightness) ... PASS ")) << Console(run);
    EXPECT_TRUE(Holds(Console(run), "35 passed, 0 failed in ")) << Console(run);
    std::string junit = ReadFile("sample_plan.xml");
    EXPECT_TRUE(Holds(junit, "<testsuite name=\"simulated-board.plan\" tests=\"35\" failures=\"0\""));
    std::string json = ReadFile("sample_plan.jsonl");
    EXPECT_EQ(std::count(json.begin(), json.end(), '\n'), 36);
    EXPECT_TRUE(Holds(json, "{\"summary\":true,\"steps\":35,\"passed\":35,\"failed\":0,"));
}

// A failing step, a step whose answers run out before its test calls the
// library (at a prompt the dialogue builds, which the sanitizer build checks
// for what leaving the dialogue skips), and a step after them that still
// runs from the main menu.
TEST(Plan, FailedStepsAreReportedAndTheRunGoesOnUnlessToldToStop) {
    WriteFile("plan_failing.plan",
              "[nobody at 51]\n"
              "test = i2c.write\n"
              "answers = 0, 0, 51, 0, 1\n"
              "[short of answers]\n"
              "test = spi.exchange\n"
              "answers = 2, 0, 32\n"
              "[version]\n"
              "test = version.library\n"
              "contains = QZHalLib Version: 1.4.2.1\n");
    RunResult run = RunWithArguments({"--plan", "plan_failing.plan", "--junit", "plan_failing.xml"});
    EXPECT_EQ(run.exitCode, 1);
    std::string console = Console(run);
    EXPECT_TRUE(Holds(console, "[1/3] nobody at 51 (i2c.write) ... FAIL ")) << console;
    EXPECT_TRUE(Holds(console, "        I2C Write Test from 51 is Failed!!!\n")) << console;
    EXPECT_TRUE(Holds(console, "[2/3] short of answers (spi.exchange) ... FAIL ")) << console;
    EXPECT_TRUE(Holds(console, "        out of answers at \"Enter SPI Data[0] (e.g. 0x0000ffff): \"\n")) << console;
    EXPECT_TRUE(Holds(console, "[3/3] version (version.library) ... PASS ")) << console;
    EXPECT_TRUE(Holds(console, "1 passed, 2 failed in ")) << console;
    // A step left at a prompt leaks nothing (the CE form has its step lines
    // on standard error, so only a sanitizer's report counts there).
    EXPECT_FALSE(Holds(run.errors, "Sanitizer")) << run.errors;
    EXPECT_EQ(run.trace, (std::vector<std::string>{"I2CWrite(0, 0, 81, 0, 1) = 0",
                                                   "QZHalLibGetVersion() = 17039873"}));
    std::string junit = ReadFile("plan_failing.xml");
    EXPECT_TRUE(Holds(junit, "tests=\"3\" failures=\"2\""));
    EXPECT_TRUE(Holds(junit, "<failure message=\"I2C Write Test from 51 is Failed!!!\" type=\"status\">"
                             "expected Success, got Failed</failure>"));
    EXPECT_TRUE(Holds(junit, "<failure message=\"out of answers at &quot;Enter SPI Data[0] (e.g. 0x0000ffff): "
                             "&quot;\""));

    run = RunWithArguments({"--plan", "plan_failing.plan", "--stop-on-failure"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Holds(Console(run), "0 passed, 1 failed, 2 not run (stopped at the first failure) in "))
        << Console(run);
    EXPECT_EQ(run.trace.size(), 1u);
}

}  // namespace
