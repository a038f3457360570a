// The command line and unattended plan runs, run as a CI job would run them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
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
        {"--plan", "p", "--json", "a", "--json", "b"}};
    const std::vector<std::string> problems = {"unknown option '--colour'", "--plan needs a file name",
                                               "--repeat needs a whole number", "need --plan", "go alone",
                                               "--json is given twice"};
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
              "plan_mistakes.plan:5: unknown key \"colour\" (keys: test, answers, expect, contains, repeat, space, pause)\n"
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
    EXPECT_TRUE(Holds(junit, "<failure message=\"I2C Write Test from 51 is Failed!!!\" type=\"status line\">"
                             "expected Success, got Failed</failure>"));
    EXPECT_TRUE(Holds(junit, "<failure message=\"out of answers at &quot;Enter SPI Data[0] (e.g. 0x0000ffff): "
                             "&quot;\""));

    // The steps a stop leaves out are in both reports.
    run = RunWithArguments({"--plan", "plan_failing.plan", "--stop-on-failure", "--junit", "plan_stopped.xml",
                            "--json", "plan_stopped.jsonl"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Holds(Console(run), "0 passed, 1 failed, 2 not run (stopped at the first failure) in "))
        << Console(run);
    EXPECT_EQ(run.trace.size(), 1u);
    junit = ReadFile("plan_stopped.xml");
    EXPECT_TRUE(Holds(junit, "tests=\"3\" failures=\"1\" errors=\"0\" skipped=\"2\"")) << junit;
    EXPECT_TRUE(Holds(junit, "<testcase name=\"version\" classname=\"version\" time=\"0.000\">\n"
                             "      <skipped message=\"not run: the run stopped at its first failure\"/>"))
        << junit;
    EXPECT_TRUE(Holds(ReadFile("plan_stopped.jsonl"), "\"failed\":1,\"not_run\":2,\"interrupted\":false"));
}

// A test that prints no status line passes only when the library accepted
// its calls and gave what it was asked for; its console output is as ever.
TEST(Plan, TestsWithoutAStatusLineAreJudgedByWhatTheLibraryAnswered) {
    WriteFile("unprinted.plan",
              "[pin 99 refused]\ntest = gpio.set-pin\nanswers = 99, 1\n"
              "[pin 5 set]\ntest = gpio.set-pin\nanswers = 5, 1\n"
              "[pin 99 unreadable]\ntest = gpio.get-pin\nanswers = 99\n"
              "[pin 99 refused, as expected]\ntest = gpio.set-pin\nanswers = 99, 0\nexpect = Failed\n"
              "[no library version]\ntest = version.library\n"
              "[interrupt box left unanswered]\ntest = gpio.button-interrupt\nanswers = 1, 3\n");
    RunOptions options;
    options.arguments = {"--plan", "unprinted.plan", "--json", "unprinted.jsonl"};
    options.environment = {{"QZHAL_SIM_FAIL", "QZHalLibGetVersion"}};
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.exitCode, 1);
    std::string console = Console(run);
    EXPECT_TRUE(Holds(console, "[1/6] pin 99 refused (gpio.set-pin) ... FAIL ")) << console;
    EXPECT_TRUE(Holds(console, "        the library refused a call or gave no level (the test prints no status "
                               "line)\n[2/6] pin 5 set (gpio.set-pin) ... PASS "))
        << console;
    EXPECT_TRUE(Holds(console, "[3/6] pin 99 unreadable (gpio.get-pin) ... FAIL ")) << console;
    EXPECT_TRUE(Holds(console, "[4/6] pin 99 refused, as expected (gpio.set-pin) ... PASS ")) << console;
    EXPECT_TRUE(Holds(console, "[5/6] no library version (version.library) ... FAIL ")) << console;
    EXPECT_TRUE(Holds(console, "        out of answers at the box \"Interrupt Event Detected (Count: 1), "
                               "Continue?\", answered No\n"))
        << console;
    EXPECT_TRUE(Holds(console, "2 passed, 4 failed in ")) << console;
    std::string json = ReadFile("unprinted.jsonl");
    EXPECT_TRUE(Holds(json, "{\"name\":\"pin 99 refused\",\"test\":\"gpio.set-pin\",\"group\":\"gpio\","
                            "\"expected\":\"Success\",\"got\":\"Failed\",\"judged_by\":\"test result\",\"pass\":false,"))
        << json;
    EXPECT_TRUE(Holds(json, "\"GPIO Pin 99 is 1!!!\"")) << json;
}

// A report never takes the place of the plan or of the other report, and a
// run that cannot write one is refused before anything runs or changes.
TEST(Plan, AReportThatWouldDestroyAFileIsRefusedBeforeAnythingRuns) {
    const std::string plan = "[version]\ntest = version.library\n";
    WriteFile("clash.plan", plan);
    WriteFile("clash.out", "an earlier report\n");
    std::filesystem::create_directories("clash_folder");
    const std::vector<std::vector<std::string>> clashes = {
        {"--json", "clash.plan"},
        {"--junit", "./clash.plan"},
        {"--junit", "clash.out", "--json", "clash.out"},
        {"--junit", "clash_folder"}};
    const std::vector<std::string> problems = {
        "--json clash.plan is the plan itself", "--junit ./clash.plan is the plan itself",
        "--junit and --json name the same file clash.out", "--junit clash_folder is a directory"};
    for (size_t i = 0; i < clashes.size(); ++i) {
        std::vector<std::string> arguments = {"--plan", "clash.plan"};
        arguments.insert(arguments.end(), clashes[i].begin(), clashes[i].end());
        RunResult run = RunWithArguments(arguments);
        EXPECT_EQ(run.exitCode, 2) << problems[i];
        EXPECT_TRUE(Holds(run.errors, "qzhaltest: " + problems[i])) << run.errors;
        EXPECT_TRUE(Holds(run.errors, "; nothing was run\n")) << run.errors;
        EXPECT_TRUE(run.trace.empty()) << problems[i];
        EXPECT_EQ(ReadFile("clash.plan"), plan);
        EXPECT_EQ(ReadFile("clash.out"), "an earlier report\n");
    }
}

// Names, values and broken plans reach the terminal as text to read, never
// as control sequences it obeys, and never as a flood.
TEST(Plan, WhatThePlanHoldsReachesTheTerminalOnlyAsReadableText) {
    WriteFile("raw_name.plan", "[bell\x07 and \x1b[31mred\tname]\ntest = version.library\n");
    RunResult run = RunWithArguments({"--plan", "raw_name.plan", "--junit", "raw_name.xml"});
    EXPECT_EQ(run.exitCode, 0) << Console(run);
    EXPECT_TRUE(Holds(Console(run), "] bell\\x07 and \\x1b[31mred\\tname (version.library) ... PASS"))
        << Console(run);
    EXPECT_FALSE(Holds(Console(run), "\x1b"));
    EXPECT_TRUE(Holds(ReadFile("raw_name.xml"), "name=\"bell\xEF\xBF\xBD and \xEF\xBF\xBD[31mred&#9;name\""));

    // Not "nul.plan": Windows opens any name whose stem is NUL as its null device.
    WriteFile("with_nul.plan", std::string("[a]\ntest = version.library\n[b\0c]\ntest = version.bsp\n", 46));
    WriteFile("long.plan", "[long]\ntest = " + std::string(1000, 'x') + "\n");
    std::string junk;
    for (int i = 0; i < 50; ++i) junk += "junk\n";
    WriteFile("junk.plan", junk);
    std::filesystem::create_directories("plan_folder");
    const std::vector<std::string> plans = {"with_nul.plan", "long.plan", "junk.plan", "plan_folder"};
    const std::vector<std::string> told = {
        "with_nul.plan:3: a NUL byte: a plan is text\n",
        "long.plan:2: unknown test \"" + std::string(60, 'x') + "...\" (qzhaltest --list shows them)\n",
        "junk.plan:19: expected key = value or [step name]\n... 31 more\n"
        "qzhaltest: 51 mistakes in the plan; nothing was run\n",
        "qzhaltest: plan_folder: is a directory, not a plan file; nothing was run\n"};
    for (size_t i = 0; i < plans.size(); ++i) {
        run = RunWithArguments({"--plan", plans[i]});
        EXPECT_EQ(run.exitCode, 2) << plans[i];
        EXPECT_TRUE(Holds(run.errors, told[i])) << run.errors;
        EXPECT_TRUE(run.trace.empty()) << plans[i];
    }
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1);
}

}  // namespace
