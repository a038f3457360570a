#include "command_line.h"

#include <cstdio>
#include <string>
#include <vector>

#include "../groups/version/version_tests.h"
#include "../platform/console.h"
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
    "  --list             every test: its id, menu path, title and prompts in dialogue order\n"
    "  --plan FILE        runs the steps of the plan FILE unattended, one console line per step\n"
    "  --junit FILE       also writes a JUnit XML report to FILE\n"
    "  --json FILE        also writes a JSON Lines report to FILE, one line per step as it ends\n"
    "  --repeat N         runs the whole plan N times (1 to 1000000)\n"
    "  --stop-on-failure  stops at the first step that fails\n"
    "  --terminal         the interactive program, its standard input taken for a person at a remote\n"
    "                     terminal whatever its redirection says (Windows Embedded Compact)\n"
    "\n"
    "Exit status: 0 every step passed, 1 a step failed, 2 a mistake in the command line or plan.\n";

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

int RunPlanFile(const Arguments &arguments) {
    std::vector<std::string> errors;
    ReadPlan(arguments.plan, NULL, NULL, errors);
    if (!errors.empty()) {
        for (size_t i = 0; i < errors.size(); ++i) std::fprintf(stderr, "%s\n", errors[i].c_str());
        std::fprintf(stderr, "qzhaltest: %u mistake%s in the plan; nothing was run\n",
                     static_cast<unsigned>(errors.size()), errors.size() == 1 ? "" : "s");
        return kPlanUsageError;
    }
    PlanRunOptions options;
    options.planPath = arguments.plan;
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
