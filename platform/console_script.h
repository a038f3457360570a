// Inside the platform layer: the console's input buffer and the script
// conventions, shared by every operating system. Each OS's console file
// provides the three raw input calls below and maps console.h onto these.
#ifndef PLATFORM_CONSOLE_SCRIPT_H
#define PLATFORM_CONSOLE_SCRIPT_H

#include <cstddef>

#include "../hal/fixed_width_types.h"

// Raw input, per OS. ConsoleReadInput waits for at least one byte and
// returns how many it stored, 0 once the input has ended. ConsoleInputWaiting
// tells without waiting whether a read would return at once (bytes or the
// end). ConsoleBeforeWait runs before any read that may wait for the
// operator.
size_t ConsoleReadInput(char *bytes, size_t size);
bool ConsoleInputWaiting();
void ConsoleBeforeWait();

// The Space key while the input is fed (console.h).
bool ConsoleFedSpacePressed();

// Reads what has arrived without waiting; false when nothing has.
bool ConsoleReadWaiting();

// The Space key of a script: a waiting blank is Space and is taken, with the
// line ends before it. Any other waiting input, and the end of the input,
// also count as pressed and stay; only an open input with nothing waiting is
// "not pressed".
bool ConsoleScriptSpacePressed();

// Takes what has arrived up to and including the first blank: true when a
// blank was among it, else everything that arrived is taken.
bool ConsoleTakeThroughBlank();

// The console text form of a message box; `terminal`: an OK box waits for a
// line end.
int ConsoleTextBox(const char *text, const char *caption, uint32_t type, bool terminal);

#endif
