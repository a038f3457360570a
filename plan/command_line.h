// The program's command line: no arguments is the interactive program;
// --help, --version, --list and --plan run without the menu.
#ifndef PLAN_COMMAND_LINE_H
#define PLAN_COMMAND_LINE_H

// The program's version, as --version prints it first.
extern const char kProgramVersion[];

// Runs what the arguments ask for (argc > 1) and returns the exit code:
// 0 done or every step passed, 1 a step failed, 2 a usage or plan mistake.
int RunCommandLine(int argc, char *argv[]);

#endif
