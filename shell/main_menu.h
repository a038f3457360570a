#ifndef SHELL_MAIN_MENU_H
#define SHELL_MAIN_MENU_H

// Start-up, the main menu loop until the operator chooses 0, and the end of
// the program. Returns the exit code.
int RunTestProgram();

#endif
