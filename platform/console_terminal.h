// Inside the POSIX platform layer: puts the terminal back into line mode.
#ifndef PLATFORM_CONSOLE_TERMINAL_H
#define PLATFORM_CONSOLE_TERMINAL_H

// Safe to call at any time, also from a signal handler.
void ConsoleRestoreTerminal();

#endif
