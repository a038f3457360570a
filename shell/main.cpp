#include "../plan/command_line.h"
#include "../platform/console.h"
#include "../platform/system.h"
#include "main_menu.h"

// Without arguments, the interactive program; with them, what they ask for
// (--help, --version, --list, --plan, --terminal). A thread still waiting
// for a remote terminal's input could hold the C runtime's exit, which locks
// the standard streams: the process then ends as at the end of a script.
int main(int argc, char *argv[]) {
    int code = argc > 1 ? RunCommandLine(argc, argv) : RunTestProgram();
    if (PlatformConsoleReaderRuns()) PlatformExitProcess(static_cast<uint32_t>(code));
    return code;
}
