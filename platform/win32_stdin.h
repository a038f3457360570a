// Inside the Win32 platform layer: what the standard input is, and reading
// it. Desktop Windows asks its console API (win32_stdin_desktop.cpp);
// Windows Embedded Compact has none and asks where its standard input is
// redirected to (win32_stdin_wince.cpp). Everything else of the console is
// the same code on both.
#ifndef PLATFORM_WIN32_STDIN_H
#define PLATFORM_WIN32_STDIN_H

#include <cstddef>
#include <string>

#include "stdio_redirection.h"

// Decided once, at the first call.
StandardInputKind StandardInputKindOf();

// Waits for at least one byte; how many were stored, 0 once the input has
// ended (a failed read is the end too).
size_t StandardInputRead(char *bytes, size_t size);

// Without waiting: whether a read would return at once, with bytes or with
// the end of the input.
bool StandardInputWaiting();

// Takes the key events a console holds, without waiting: true when the Space
// key went down among them. False where the console has no key events.
bool ConsoleSpaceKeyEventTaken();

// --terminal (console.h): a remote terminal whatever the redirection says;
// false on desktop Windows, which tells no remote terminals apart.
bool StandardInputForceRemoteTerminal();

// How the standard input was classified, for --version (console.h); empty
// on desktop Windows.
std::string StandardInputDescription();

// Whether a thread of the program reads the standard input.
bool StandardInputReaderRuns();

#endif
