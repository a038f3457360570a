#include "main_menu.h"

// The program takes no command-line options and reads no environment.
int main(int, char *[]) { return RunTestProgram(); }
