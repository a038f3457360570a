#ifndef SHELL_MAIN_MENU_H
#define SHELL_MAIN_MENU_H

// Exit code of the program's normal end, also at the end of the input. The
// program never ends with 0: a failed start-up gives 1 as well.
const int kExitCodeNormalEnd = 1;

// Start-up, the main menu loop until the operator chooses 0, and the end of
// the program. Returns the exit code.
int RunTestProgram();

#endif
