#include "../plan/command_line.h"
#include "main_menu.h"

// Without arguments, the interactive program; with them, what they ask for
// (--help, --version, --list, --plan).
int main(int argc, char *argv[]) { return argc > 1 ? RunCommandLine(argc, argv) : RunTestProgram(); }
