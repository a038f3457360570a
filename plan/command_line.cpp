#include "command_line.h"

#include <cstdio>
#include <string>
#include <vector>

#include "../groups/version/version_tests.h"
#include "../platform/console.h"
#include "../platform/plan_io.h"
#include "../shell/main_menu.h"
#include "plan_file.h"
#include "plan_runner.h"
#include "test_table.h"

const char kProgramVersion[] = QZHAL_PROGRAM_VERSION;  // the project's version, set by the build

namespace {

const char kUsage[] =
    "usage: qzhaltest [--help | --version | --list | --terminal [--version] |\n"
    "                  --plan FILE [--junit FILE] [--json FILE] [--repeat N] [--stop-on-failure]]\n";

const char kHelp[] =
    "\n"
    "Without options: the interactive test menu on the console.\n"
    "\n"
    "  --help             this text\n"
    "  --version          the program's version, how it sees its console (Windows Embedded Compact),\n"
    "                     then the library, BSP and OS image versions\n"
    "  --list             every test: its id, menu path, title, prompts in dialogue order\n"
    "                     and the form of its result lines\n"
    "  --plan FILE        runs the steps of the plan FILE unattended, one console line per step\n"
    "  --junit FILE       also writes a JUnit XML report to FILE\n"
    "  --json FILE        also writes a JSON Lines report to FILE, one line per step as it ends\n"
    "  --repeat N         runs the whole plan N times (1 to 1000000)\n"
    "  --stop-on-failure  stops at the first step that fails\n"
    "  --terminal         the interactive program, its standard input taken for a person at a remote\n"
    "                     terminal whatever its redirection says (Windows Embedded Compact)\n"
    "\n"
    "A plan is a regular file or a pipe (--plan /dev/stdin) of at most 16 MiB, read once;\n"
    "relative paths are taken from the current folder (on Windows Embedded Compact,\n"
    "which has none, from the program's own folder).\n"
    "\n"
    "Exit status: 0 every step passed; 1 a step failed or a report could not be written;\n"
    "2 a mistake in the command line or plan, or the run could not start; 128+N stopped\n"
    "by signal N (130 Ctrl-C, 143 SIGTERM).\n";

struct Arguments {
    bool help, version, list, stopOnFailure, terminal;
    std::string plan, junit, json;
    int32_t passes;
};

int UsageError(const std::string &problem) {
    std::fprintf(stderr, "qzhaltest: %s\n%s", problem.c_str(), kUsage);
    return kPlanUsageError;
}

// Fills arguments; returns an empty text or the problem.
std::string Parse(int argc, char *argv[], Arguments &arguments) {
    arguments.help = arguments.version = arguments.list = arguments.stopOnFailure = arguments.terminal = false;
    arguments.passes = 1;
    bool passesGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        std::string *value = NULL;
        if (option == "--help" || option == "-h") {
            arguments.help = true;
        } else if (option == "--version") {
            arguments.version = true;
        } else if (option == "--list") {
            arguments.list = true;
        } else if (option == "--terminal") {
            arguments.terminal = true;
        } else if (option == "--stop-on-failure") {
            arguments.stopOnFailure = true;
        } else if (option == "--plan") {
            value = &arguments.plan;
        } else if (option == "--junit") {
            value = &arguments.junit;
        } else if (option == "--json") {
            value = &arguments.json;
        } else if (option == "--repeat") {
            if (passesGiven) return "--repeat is given twice";
            if (i + 1 >= argc) return "--repeat needs a number";
            if (!ParseWholeNumber(argv[++i], 1, 1000000, arguments.passes))
                return "--repeat needs a whole number from 1 to 1000000, not '" + std::string(argv[i]) + "'";
            passesGiven = true;
            continue;
        } else {
            return (option.size() > 0 && option[0] == '-' ? "unknown option '" : "unexpected argument '") + option +
                   "'";
        }
        if (value) {
            if (!value->empty()) return option + " is given twice";
            if (i + 1 >= argc || std::string(argv[i + 1]).empty()) return option + " needs a file name";
            *value = argv[++i];
        }
    }
    int modes = (arguments.help ? 1 : 0) + (arguments.version ? 1 : 0) + (arguments.list ? 1 : 0) +
                (arguments.plan.empty() ? 0 : 1);
    if (modes > 1) return "--help, --version, --list and --plan go alone";
    if (arguments.terminal && modes > (arguments.version ? 1 : 0)) return "--terminal goes alone or with --version";
    bool planOptions = !arguments.junit.empty() || !arguments.json.empty() || passesGiven || arguments.stopOnFailure;
    if (planOptions && arguments.plan.empty()) return "--junit, --json, --repeat and --stop-on-failure need --plan";
    return "";
}

// A report must not take the place of the plan or of the other report, and
// a JUnit report replaces a regular file whole, never a device.
std::string ReportPathProblem(const Arguments &arguments) {
    const std::string *reports[2] = {&arguments.junit, &arguments.json};
    const char *options[2] = {"--junit", "--json"};
    for (int i = 0; i < 2; ++i) {
        const std::string &report = *reports[i];
        if (report.empty()) continue;
        if (PlatformSameFile(arguments.plan, report))
            return std::string(options[i]) + " " + report + " is the plan itself: name another file";
        PathKind kind = PlatformPathKind(report);
        if (kind == kPathDirectory) return std::string(options[i]) + " " + report + " is a directory";
        if (kind == kPathOther && i == 0)
            return "--junit " + report + " is not a regular file: the report replaces a file whole";
    }
    if (!arguments.junit.empty() && !arguments.json.empty() && PlatformSameFile(arguments.junit, arguments.json))
        return "--junit and --json name the same file " + arguments.json;
    return "";
}

void PrintMistakes(const PlanMistakes &mistakes) {
    for (size_t i = 0; i < mistakes.first.size(); ++i) std::fprintf(stderr, "%s\n", mistakes.first[i].c_str());
    if (mistakes.count > mistakes.first.size())
        std::fprintf(stderr, "... %u more\n", static_cast<unsigned>(mistakes.count - mistakes.first.size()));
    std::fprintf(stderr, "qzhaltest: %u mistake%s in the plan; nothing was run\n",
                 static_cast<unsigned>(mistakes.count), mistakes.count == 1 ? "" : "s");
}

int RunPlanFile(const Arguments &arguments) {
    PlanRunOptions options;
    options.planLabel = PlatformResolvePath(arguments.plan);
    std::string problem = ReportPathProblem(arguments);
    if (!problem.empty()) {
        std::fprintf(stderr, "qzhaltest: %s; nothing was run\n", problem.c_str());
        return kPlanUsageError;
    }
    std::string reason;
    if (!PlatformReadPlanFile(arguments.plan, options.planText, reason)) {
        std::fprintf(stderr, "qzhaltest: %s: %s; nothing was run\n", options.planLabel.c_str(), reason.c_str());
        return kPlanUsageError;
    }
    PlanMistakes mistakes;
    ReadPlan(options.planLabel, options.planText, NULL, NULL, mistakes);
    if (mistakes.count > 0) {
        PrintMistakes(mistakes);
        return kPlanUsageError;
    }
    options.junitPath = arguments.junit;
    options.jsonPath = arguments.json;
    options.passes = arguments.passes;
    options.stopOnFailure = arguments.stopOnFailure;
    return RunPlan(options);
}

}  // namespace

int RunCommandLine(int argc, char *argv[]) {
    Arguments arguments;
    std::string problem = Parse(argc, argv, arguments);
    if (!problem.empty()) return UsageError(problem);
    if (arguments.help) {
        std::printf("%s%s", kUsage, kHelp);
        return 0;
    }
    if (arguments.terminal && !PlatformConsoleForceRemoteTerminal())
        return UsageError("--terminal is for Windows Embedded Compact, whose console may be a remote terminal");
    if (arguments.version) {
        std::printf("qzhaltest %s\n", kProgramVersion);
        std::string console = PlatformConsoleDescription();
        if (!console.empty()) std::printf("%s\n", console.c_str());
        std::fflush(stdout);
        VersionTests version;
        version.PrintAllVersions();
        return 0;
    }
    if (arguments.terminal) return RunTestProgram();
    if (arguments.list) {
        PrintTestList();
        return 0;
    }
    return RunPlanFile(arguments);
}
